#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <string>

#include "kiln/base/scoped_win.h"
#include "launcher/net/http_connection.h"
#include "launcher/patch/download_progress.h"
#include "launcher/patch/patch_download.h"
#include "launcher/patch/patch_rules.h"
#include "launcher/settings/launcher_configuration.h"

namespace Launcher {

// What the download dialog needs from the window that opens it.
struct PatchDialogHost {
    HINSTANCE instance = nullptr;  // holds dialog template 111
    const LauncherConfiguration* configuration = nullptr;
    std::function<void()> reloadConfiguration;  // re-reads System.ini into *configuration
    std::string targetDirectory;  // the launcher's folder, with its trailing backslash
};

// The auto-patcher: the download dialog's state machine and the requests it started. The
// window's controller keeps it, since the requests outlive one run of the dialog.
class AutoPatcher {
public:
    AutoPatcher() = default;
    ~AutoPatcher() { CancelAllRequests(); }
    AutoPatcher(const AutoPatcher&) = delete;
    AutoPatcher& operator=(const AutoPatcher&) = delete;

    // Runs the download dialog modally; 1 when a patch that replaces the launcher has been
    // started (the launcher then saves and quits), else 0.
    INT_PTR RunDialog(HWND owner, const PatchDialogHost& host);

    // Cancels every request started so far and waits until each has finished; the list is
    // emptied and the server index goes back to 0.
    void CancelAllRequests();

private:
    // Ends the patch download (it keeps what can be continued) and waits until it has.
    void StopDownload();
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(HWND dialog, UINT message, WPARAM wParam);
    void OnTimer(HWND dialog);
    void FetchInformation(HWND dialog);
    void EvaluateInformation(HWND dialog);
    void DownloadPatch(HWND dialog);
    void VerifyAndStore(HWND dialog);
    void RunPatch(HWND dialog);
    void EndCannotRun(HWND dialog);
    void StartUpdateRequest(const std::string& url, uint32_t maxBodySize);
    void StartInformationRequests(const std::string& baseURL);
    bool InformationTrusted() const;
    bool InformationCurrent();
    void SetStatus(const std::string& text) const;
    void SetTimer(HWND dialog, unsigned periodMs, int nextState);
    const LauncherConfiguration& Configuration() const { return *host_->configuration; }

    const PatchDialogHost* host_ = nullptr;
    HWND statusText = nullptr;
    HWND progressBar = nullptr;
    HWND detailText = nullptr;  // amount, speed and time left
    DWORD detailShownAt = 0;
    Patch::TransferRate rate;
    bool verifyingShown = false;
    int patchState = 0;
    std::shared_ptr<HTTPConnection::REQUEST_DATA> currentRequest;
    // With a public key: the signature of the information, fetched beside it.
    Patch::UpdateKey updateKey;
    std::shared_ptr<HTTPConnection::REQUEST_DATA> signatureRequest;
    bool signatureFailed = false;  // some server's information did not verify
    bool staleFailed = false;      // some server's verified information was older or expired
    uint64_t acceptedSerial = 0;   // the highest serial taken before, for the key
    std::list<std::shared_ptr<HTTPConnection::REQUEST_DATA>> pendingRequests;
    std::shared_ptr<Patch::PatchDownload> download;  // the patch file's, once it is asked for
    size_t serverIndex = 0;
    uint32_t launcherUpdate = 0;
    std::string patchDigest;
    std::string patchFileName;
    std::string targetVersion;
    std::string updaterDirectory;
    std::string patchFilePath;
    std::string updateIniPath;
    // The stored patch, held unchangeable from its last check until its program has ended.
    Kiln::UniqueFileHandle heldPatch;
};

}  // namespace Launcher
