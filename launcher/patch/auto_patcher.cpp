#include "launcher/patch/auto_patcher.h"

#include <commctrl.h>

#include <ctime>

#include "kiln/base/scoped_win.h"
#include "kiln/base/text.h"
#include "launcher/net/md5.h"
#include "launcher/patch/patch_files.h"
#include "launcher/patch/information_stamp.h"
#include "launcher/patch/patch_rules.h"
#include "launcher/patch/serial_store.h"
#include "launcher/patch/update_info.h"
#include "resources/resource.h"

namespace Launcher {
namespace {

using HTTPConnection::REQUEST_DATA;
namespace Text = Patch::Text;

void ShowMessage(const std::string& text, const char* caption, UINT icon)
{
    ::MessageBoxA(nullptr, text.c_str(), caption, MB_OK | icon);
}

}  // namespace

INT_PTR AutoPatcher::RunDialog(HWND owner, const PatchDialogHost& host)
{
    host_ = &host;
    const INT_PTR result = ::DialogBoxParamA(host.instance, MAKEINTRESOURCEA(IDD_PATCH), owner, DialogProc,
                                             reinterpret_cast<LPARAM>(this));
    host_ = nullptr;
    // Closed during the download: its thread ends at once, leaving a part that can be
    // continued, or nothing; then an empty working folder goes too.
    if (download) {
        StopDownload();
        ::RemoveDirectoryA(updaterDirectory.c_str());
    }
    return result == 1 ? 1 : 0;
}

void AutoPatcher::CancelAllRequests()
{
    for (const auto& request : pendingRequests) {
        HTTPConnection::CancelRequest(*request);
        while (!request->bFinished)
            ::Sleep(0);
    }
    pendingRequests.clear();
    serverIndex = 0;
    StopDownload();
}

void AutoPatcher::StopDownload()
{
    if (!download)
        return;
    download->Cancel();
    while (!download->Finished())
        ::Sleep(0);
    download.reset();
}

INT_PTR CALLBACK AutoPatcher::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
        ::SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    auto* patcher = reinterpret_cast<AutoPatcher*>(::GetWindowLongPtrA(dialog, DWLP_USER));
    if (!patcher)
        return FALSE;
    try {
        return patcher->HandleMessage(dialog, message, wParam);
    } catch (...) {
        // A PatchFilePrefix without its one placeholder, or no memory: the run ends like any
        // other failed check.
        ::KillTimer(dialog, Patch::kTimerId);
        ::EndDialog(dialog, 0);
        return TRUE;
    }
}

INT_PTR AutoPatcher::HandleMessage(HWND dialog, UINT message, WPARAM wParam)
{
    switch (message) {
    case WM_INITDIALOG:
        statusText = ::GetDlgItem(dialog, IDC_PATCH_STATUS);
        progressBar = ::GetDlgItem(dialog, IDC_PATCH_PROGRESS);
        detailText = ::GetDlgItem(dialog, IDC_PATCH_DETAIL);
        verifyingShown = false;
        patchState = 0;
        ::SetTimer(dialog, Patch::kTimerId, Patch::kStartPeriodMs, nullptr);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL)
            ::EndDialog(dialog, 0);
        return TRUE;
    case WM_TIMER:
        if (wParam == Patch::kTimerId)
            OnTimer(dialog);
        return TRUE;
    case WM_DESTROY:
        ::KillTimer(dialog, Patch::kTimerId);
        if (currentRequest)
            HTTPConnection::CancelRequest(*currentRequest);
        if (signatureRequest)
            HTTPConnection::CancelRequest(*signatureRequest);
        if (download)
            download->Cancel();
        heldPatch.Reset();
        return TRUE;
    default:
        return FALSE;
    }
}

void AutoPatcher::OnTimer(HWND dialog)
{
    switch (patchState) {
    case 0:
        FetchInformation(dialog);
        break;
    case 1:
        EvaluateInformation(dialog);
        break;
    case 2:
        DownloadPatch(dialog);
        break;
    case 3:
        VerifyAndStore(dialog);
        break;
    case 4:
        RunPatch(dialog);
        break;
    default:
        break;
    }
}

void AutoPatcher::SetTimer(HWND dialog, unsigned periodMs, int nextState)
{
    ::SetTimer(dialog, Patch::kTimerId, periodMs, nullptr);
    patchState = nextState;
}

void AutoPatcher::SetStatus(const std::string& text) const
{
    ::SetWindowTextA(statusText, text.c_str());
}

void AutoPatcher::StartUpdateRequest(const std::string& url, uint32_t maxBodySize)
{
    currentRequest = std::make_shared<REQUEST_DATA>();
    currentRequest->dwMaxResponseSize = maxBodySize;
    pendingRequests.push_back(currentRequest);
    HTTPConnection::StartRequest(url, *currentRequest, "", nullptr, true);
}

// The signature is fetched beside the information, so that both fit in the one wait a server
// is given.
void AutoPatcher::StartInformationRequests(const std::string& baseURL)
{
    signatureRequest.reset();
    if (updateKey.kind == Patch::UpdateKey::Kind::Valid) {
        signatureRequest = std::make_shared<REQUEST_DATA>();
        signatureRequest->dwMaxResponseSize = Patch::kMaxSignatureBytes;
        pendingRequests.push_back(signatureRequest);
        HTTPConnection::StartRequest(
            Patch::ServerFileURL(baseURL, Patch::SignatureFileName(Configuration().updateInfoFile)), *signatureRequest,
            "", nullptr, true);
    }
    StartUpdateRequest(Patch::ServerFileURL(baseURL, Configuration().updateInfoFile), Patch::kMaxInformationBytes);
}

bool AutoPatcher::InformationCurrent()
{
    if (updateKey.kind != Patch::UpdateKey::Kind::Valid)
        return true;
    const auto stamp = Patch::ReadStamp(currentRequest->strResponse);
    const int64_t now = static_cast<int64_t>(std::time(nullptr));
    if (Patch::JudgeStamp(stamp, acceptedSerial, now) != Patch::Freshness::Current)
        return false;
    // Taken: from now on nothing older is, on this machine.
    Patch::RecordAcceptedSerial(updateKey.key, stamp->serial);
    acceptedSerial = stamp->serial;
    return true;
}

bool AutoPatcher::InformationTrusted() const
{
    if (updateKey.kind != Patch::UpdateKey::Kind::Valid)
        return true;
    // Its body is the worker's until it has finished.
    if (!signatureRequest->bFinished)
        return false;
    return Patch::InformationVerifies(updateKey.key, signatureRequest->bFinished, signatureRequest->dwStatusCode,
                                      signatureRequest->strResponse, currentRequest->strResponse);
}

void AutoPatcher::FetchInformation(HWND dialog)
{
    ::KillTimer(dialog, Patch::kTimerId);
    const LauncherConfiguration& configuration = Configuration();
    SetStatus(Kiln::FormatTemplate(Text::kDownloading, configuration.updateInfoFile));
    if (configuration.serverList.empty()) {
        ShowMessage(Text::kNoServers, Text::kFetchError, MB_ICONERROR);
        ::EndDialog(dialog, 0);
        return;
    }
    updateKey = Patch::ReadUpdateKey(configuration.updatePublicKey);
    if (updateKey.kind == Patch::UpdateKey::Kind::Malformed) {
        ShowMessage(Text::kBadPublicKey, Text::kBadPublicKeyCaption, MB_ICONERROR);
        ::EndDialog(dialog, 0);
        return;
    }
    CancelAllRequests();
    signatureFailed = false;
    staleFailed = false;
    if (updateKey.kind == Patch::UpdateKey::Kind::Valid)
        acceptedSerial = Patch::ReadAcceptedSerial(updateKey.key);
    StartInformationRequests(configuration.serverList[serverIndex]);
    SetTimer(dialog, Patch::kInformationWaitMs, 1);
}

void AutoPatcher::EvaluateInformation(HWND dialog)
{
    ::KillTimer(dialog, Patch::kTimerId);
    const LauncherConfiguration& configuration = Configuration();
    const auto& servers = configuration.serverList;
    // A body that failed on its way (too long, cut off by an error) is no information.
    bool arrived = currentRequest->bFinished && !currentRequest->bFailed;
    if (arrived && Patch::IsSuccessStatus(currentRequest->dwStatusCode)) {
        // Unverified information counts as a server that failed; not a line of it is read.
        // So does signed information older than what was taken before, or expired: a replay.
        if (!InformationTrusted()) {
            signatureFailed = true;
            arrived = false;
        } else if (!InformationCurrent()) {
            staleFailed = true;
            arrived = false;
        }
    }
    switch (Patch::DecideInformationStep(arrived, currentRequest->dwStatusCode, serverIndex, servers.size())) {
    case Patch::InformationStep::NextServer:
        // The abandoned requests run on until they end or are cancelled.
        ++serverIndex;
        StartInformationRequests(servers[serverIndex]);
        SetTimer(dialog, Patch::kInformationWaitMs, 1);
        return;
    case Patch::InformationStep::AllServersFailed:
        if (staleFailed)
            ShowMessage(Text::kOutOfDate, Text::kOutOfDateCaption, MB_ICONERROR);
        else if (signatureFailed)
            ShowMessage(Text::kNotVerified, Text::kNotVerifiedCaption, MB_ICONERROR);
        else
            ShowMessage(Kiln::FormatTemplate(Text::kCannotDownload, configuration.updateInfoFile),
                        Text::kFetchError, MB_ICONERROR);
        ::EndDialog(dialog, 0);
        return;
    case Patch::InformationStep::Evaluate:
        break;
    }
    signatureRequest.reset();

    const NextPatch next = FindNextPatch(ParseUpdateInfo(currentRequest->strResponse), configuration.currentVersion);
    const std::string documents = Patch::DocumentsFolder(dialog);
    updaterDirectory = Patch::WorkingFolder(documents);
    if (next.kind != NextPatch::Kind::Patch)
        Patch::DropStalePartial(updaterDirectory, "", "", "");
    if (next.kind == NextPatch::Kind::VersionUnknown) {
        ShowMessage(Text::kVersionUnknown, Text::kFetchError, MB_ICONERROR);
        ::EndDialog(dialog, 0);
        return;
    }
    if (next.kind == NextPatch::Kind::AlreadyLatest) {
        ShowMessage(Text::kAlreadyLatest, Text::kLatestCaption, MB_ICONINFORMATION);
        ::EndDialog(dialog, 0);
        return;
    }
    patchFileName = Patch::PatchFileName(configuration.patchFilePrefix, next.entry.version);
    // The version enters a path and a URL: an entry that would lead out of the working folder
    // is no entry.
    if (!Patch::IsPlainVersion(next.entry.version) || !Patch::IsPlainFileName(patchFileName) || documents.empty()) {
        ShowMessage(Text::kVersionUnknown, Text::kFetchError, MB_ICONERROR);
        ::EndDialog(dialog, 0);
        return;
    }
    patchDigest = Kiln::AsciiLower(next.entry.digest);
    launcherUpdate = next.entry.launcherUpdate;
    targetVersion = next.entry.version;
    SetStatus(Kiln::FormatTemplate(Text::kDownloading, patchFileName));
    // The patch goes to the working folder as it arrives; a part left by an earlier run of the
    // same patch is continued, any other removed.
    Patch::CreateFolderTree(dialog, updaterDirectory);
    Patch::DropStalePartial(updaterDirectory, patchFileName, targetVersion, patchDigest);
    download = Patch::PatchDownload::Start({Patch::ServerFileURL(servers[serverIndex], patchFileName),
                                            updaterDirectory, patchFileName, targetVersion, patchDigest});

    // The window waits for the first answer, but not forever: a server that accepts and never
    // answers counts as one that refused.
    const DWORD start = ::GetTickCount();
    while (download && !download->Responded() && ::GetTickCount() - start < Patch::kStatusWaitMs)
        ::Sleep(0);
    if (download && download->Responded() && download->FirstAnswerUsable()) {
        ::SendMessageA(progressBar, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
        detailShownAt = ::GetTickCount();
        rate = Patch::TransferRate();
        SetTimer(dialog, Patch::kDownloadPeriodMs, 2);
        return;
    }
    CancelAllRequests();
    RemoveUpdateFiles();
    ShowMessage(Kiln::FormatTemplate(Text::kCannotDownload, patchFileName), Text::kFetchError, MB_ICONERROR);
    ::EndDialog(dialog, 0);
}

void AutoPatcher::DownloadPatch(HWND dialog)
{
    const uint64_t received = download->Received();
    const uint64_t total = download->Total();
    if (const auto position = Patch::ProgressPosition(received, total))
        ::SendMessageA(progressBar, PBM_SETPOS, static_cast<WPARAM>(*position), 0);
    const DWORD now = ::GetTickCount();
    if (now - detailShownAt >= Patch::kDetailPeriodMs) {
        detailShownAt = now;
        rate.Add(now, received);
        ::SetWindowTextA(detailText, Patch::ProgressLine(received, total, rate.BytesPerSecond()).c_str());
    }
    if (download->Verifying() && !verifyingShown) {
        verifyingShown = true;
        SetStatus(Kiln::FormatTemplate(Text::kVerifying, patchFileName));
    }
    if (!download->Finished())
        return;
    ::KillTimer(dialog, Patch::kTimerId);
    SetStatus(Kiln::FormatTemplate(Text::kVerifying, patchFileName));
    SetTimer(dialog, Patch::kStartPeriodMs, 3);
}

void AutoPatcher::VerifyAndStore(HWND dialog)
{
    ::KillTimer(dialog, Patch::kTimerId);
    const Patch::PatchDownload::Outcome outcome = download->Result();
    // A transfer cut off too often ends like a body that is not the patch listed.
    if (outcome == Patch::PatchDownload::Outcome::DigestMismatch || outcome == Patch::PatchDownload::Outcome::Failed) {
        CancelAllRequests();
        RemoveUpdateFiles();
        ShowMessage(Text::kDigestMismatch, Text::kDigestMismatchCaption, MB_ICONERROR);
        ::EndDialog(dialog, 0);
        return;
    }
    // What runs must be what was verified: the download holds the patch against every change
    // from its last check until its program has ended.
    if (outcome == Patch::PatchDownload::Outcome::Verified)
        heldPatch = download->TakeHeldFile();
    patchFilePath = download->FilePath();
    updateIniPath = updaterDirectory + Patch::kUpdateIniName;
    const bool stored =
        heldPatch && Patch::WriteFreshFile(updateIniPath, Patch::UpdateIniText(host_->targetDirectory, patchFilePath,
                                                                              updateIniPath, updaterDirectory));
    currentRequest.reset();
    CancelAllRequests();
    if (!stored) {
        EndCannotRun(dialog);
        return;
    }
    SetTimer(dialog, Patch::kStartPeriodMs, 4);
}

// The patch cannot be run: nothing of it is left, and the player is told.
void AutoPatcher::EndCannotRun(HWND dialog)
{
    heldPatch.Reset();
    RemoveUpdateFiles();
    ShowMessage(Text::kCannotRun, Text::kCannotRunCaption, MB_ICONERROR);
    ::EndDialog(dialog, 0);
}

void AutoPatcher::RunPatch(HWND dialog)
{
    ::KillTimer(dialog, Patch::kTimerId);
    HANDLE started = nullptr;
    if (launcherUpdate != 0) {
        ShowMessage(Text::kLauncherRestart, Text::kLauncherRestartCaption, MB_ICONINFORMATION);
        Patch::StartPatchProgram(dialog, patchFilePath, started);
        Kiln::UniqueHandle released(started);
        heldPatch.Reset();
        ::EndDialog(dialog, 1);
        return;
    }
    const bool ran = Patch::StartPatchProgram(dialog, patchFilePath, started);
    Kiln::UniqueHandle process(started);
    if (!ran) {
        EndCannotRun(dialog);
        return;
    }
    // Without a process to wait for, the outcome is unknown: not a success.
    DWORD exitCode = STILL_ACTIVE;
    if (process) {
        ::WaitForSingleObject(process.Get(), INFINITE);
        ::GetExitCodeProcess(process.Get(), &exitCode);
    }
    process.Reset();
    heldPatch.Reset();
    RemoveUpdateFiles(Patch::kFolderSettleMs);
    if (exitCode != 0) {
        ShowMessage(Text::kInterrupted, Text::kInterruptedCaption, MB_ICONINFORMATION);
        ::EndDialog(dialog, 0);
        return;
    }
    const int answer = ::MessageBoxA(nullptr, Patch::UpdatedMessage(targetVersion).c_str(), Text::kUpdatedCaption,
                                     MB_OKCANCEL | MB_ICONINFORMATION);
    if (answer != IDOK) {
        ::EndDialog(dialog, 0);
        return;
    }
    host_->reloadConfiguration();
    SetTimer(dialog, Patch::kStartPeriodMs, 0);
}

}  // namespace Launcher
