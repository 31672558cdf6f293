#include "launcher/patch/patch_download.h"

#include <vector>

#include "launcher/net/range_rules.h"
#include "launcher/patch/patch_files.h"
#include "launcher/patch/patch_rules.h"
#include "launcher/patch/resume_record.h"

namespace Launcher::Patch {
namespace {

using HTTPConnection::ResumeVerdict;

// The record a partial download left beside it; null when there is none that reads.
std::optional<ResumeRecord> ReadRecordFile(const std::string& path)
{
    constexpr DWORD kMaxRecordSize = 4096;
    Kiln::UniqueFileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return std::nullopt;
    std::string text(kMaxRecordSize + 1, '\0');
    DWORD count = 0;
    if (!::ReadFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &count, nullptr) || count > kMaxRecordSize)
        return std::nullopt;
    text.resize(count);
    return ReadResumeRecord(text);
}

bool SeekTo(HANDLE file, uint64_t offset)
{
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(offset);
    return ::SetFilePointerEx(file, position, nullptr, FILE_BEGIN) != FALSE;
}

uint64_t FileSize(HANDLE file)
{
    LARGE_INTEGER size = {};
    return ::GetFileSizeEx(file, &size) ? static_cast<uint64_t>(size.QuadPart) : 0;
}

}  // namespace

// One try's body into the partial file. The download's thread reads what it wrote only after
// Close, which waits for a write in progress: a cancelled try can never write after it.
class PatchDownload::FileSink : public HTTPConnection::BodySink {
public:
    explicit FileSink(PatchDownload& download) : download_(download) {}

    bool Begin(uint32_t statusCode, const std::string& rawHeaders, uint64_t contentSize) override
    {
        verdict_ = HTTPConnection::JudgeResponse(statusCode, rawHeaders, download_.offset_, download_.validator_,
                                                 download_.total_);
        const bool taken = download_.TakeAnswer(verdict_, rawHeaders, contentSize);
        // The window waits for the first answer, not for its body.
        if (!download_.responded_) {
            download_.firstAnswerUsable_ = verdict_ != ResumeVerdict::Failed;
            download_.responded_ = true;
        }
        return taken;
    }

    bool Write(const char* data, size_t size) override
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (closed_)
            return false;
        DWORD written = 0;
        if (!::WriteFile(download_.partial_.Get(), data, static_cast<DWORD>(size), &written, nullptr) ||
            written != size) {
            writeFailed_ = true;
            return false;
        }
        download_.digest_.update(data, size);
        download_.offset_ += size;
        download_.received_ = download_.offset_;
        return true;
    }

    void Close()
    {
        std::lock_guard<std::mutex> hold(lock_);
        closed_ = true;
    }

    ResumeVerdict Verdict() const { return verdict_; }
    bool WriteFailed() const { return writeFailed_; }

private:
    PatchDownload& download_;
    std::mutex lock_;
    bool closed_ = false;
    bool writeFailed_ = false;
    ResumeVerdict verdict_ = ResumeVerdict::Failed;
};

PatchDownload::PatchDownload(Target target)
    : target_(std::move(target)),
      partialPath_(target_.folder + target_.fileName + kPartialSuffix),
      recordPath_(target_.folder + kResumeRecordName),
      cancelEvent_(::CreateEventA(nullptr, TRUE, FALSE, nullptr))
{
}

std::shared_ptr<PatchDownload> PatchDownload::Start(const Target& target)
{
    std::shared_ptr<PatchDownload> download(new PatchDownload(target));
    if (!download->cancelEvent_)
        return nullptr;
    // The thread keeps the object alive until it has finished.
    auto* threadReference = new std::shared_ptr<PatchDownload>(download);
    Kiln::UniqueHandle thread(::CreateThread(nullptr, 0, Main, threadReference, 0, nullptr));
    if (!thread) {
        delete threadReference;
        return nullptr;
    }
    return download;
}

DWORD WINAPI PatchDownload::Main(void* parameter)
{
    std::shared_ptr<PatchDownload> download = std::move(*static_cast<std::shared_ptr<PatchDownload>*>(parameter));
    delete static_cast<std::shared_ptr<PatchDownload>*>(parameter);
    Outcome outcome = Outcome::CannotStore;
    try {
        outcome = download->Run();
    } catch (...) {
        // no memory: the same as a file that could not be stored
    }
    download->partial_.Reset();
    if (outcome != Outcome::Verified) {
        download->held_.Reset();
        // Only a part with its record can be continued later: any other goes.
        if (::GetFileAttributesA(download->recordPath_.c_str()) == INVALID_FILE_ATTRIBUTES)
            ::DeleteFileA(download->partialPath_.c_str());
    }
    download->responded_ = true;
    download->outcome_ = outcome;
    download->finished_ = true;
    return 0;
}

void PatchDownload::Cancel()
{
    cancelled_ = true;
    ::SetEvent(cancelEvent_.Get());
    std::lock_guard<std::mutex> hold(currentLock_);
    if (current_)
        HTTPConnection::CancelRequest(*current_);
}

PatchDownload::Outcome PatchDownload::Run()
{
    if (!OpenPartial())
        return cancelled_ ? Outcome::Cancelled : Outcome::CannotStore;
    const Outcome outcome = Transfer();
    if (outcome != Outcome::Verified)
        return outcome;
    return Store();
}

// Continues the partial file of the same patch, else starts a new one.
bool PatchDownload::OpenPartial()
{
    const auto record = ReadRecordFile(recordPath_);
    if (record && ResumesPatch(*record, target_.fileName, target_.version, target_.digest)) {
        partial_.Reset(::CreateFileA(partialPath_.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (partial_) {
            offset_ = FileSize(partial_.Get());
            validator_ = record->validator;
            total_ = record->total;
            if (offset_ <= total_) {
                received_ = offset_;
                // The bytes already there count toward the digest too.
                return Digest(partial_.Get(), offset_, digest_) && SeekTo(partial_.Get(), offset_);
            }
        }
    }
    partial_.Reset();
    DropPartial();
    partial_.Reset(::CreateFileA(partialPath_.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                 CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    offset_ = 0;
    validator_.clear();
    total_ = UINT64_MAX;
    received_ = 0;
    return static_cast<bool>(partial_);
}

// Tries until the whole file has arrived, resuming after each cut.
PatchDownload::Outcome PatchDownload::Transfer()
{
    bool first = true;
    int fruitless = 0;
    // A file that had arrived whole before (the launcher ended while checking it) is not
    // fetched again.
    const bool whole = offset_ > 0 && offset_ == total_;
    if (whole) {
        firstAnswerUsable_ = true;
        responded_ = true;
    }
    while (!whole) {
        if (cancelled_)
            return Outcome::Cancelled;
        // Without a validator nothing vouches that the server's file is still the same.
        if (offset_ > 0 && validator_.empty())
            RestartFromZero();
        const uint64_t before = offset_;
        auto sink = std::make_shared<FileSink>(*this);
        auto request = std::make_shared<HTTPConnection::REQUEST_DATA>();
        request->bodySink = sink;
        request->dwStallLimitMs = HTTPConnection::kStallLimitMs;
        {
            std::lock_guard<std::mutex> hold(currentLock_);
            current_ = request;
        }
        if (cancelled_)
            return Outcome::Cancelled;
        const std::string headers = offset_ > 0 ? HTTPConnection::ResumeHeaders(offset_, validator_) : std::string();
        HTTPConnection::StartRequest(target_.url, *request, headers, nullptr, false);
        sink->Close();
        {
            std::lock_guard<std::mutex> hold(currentLock_);
            current_.reset();
        }
        const ResumeVerdict verdict = sink->Verdict();
        if (first) {
            first = false;
            firstAnswerUsable_ = verdict != ResumeVerdict::Failed;
            responded_ = true;
            if (verdict == ResumeVerdict::Failed)
                return cancelled_ ? Outcome::Cancelled : Outcome::NotAvailable;
        }
        if (sink->WriteFailed())
            return Outcome::CannotStore;
        if (cancelled_)
            return Outcome::Cancelled;
        const bool bodyUsed = verdict == ResumeVerdict::Append || verdict == ResumeVerdict::FromZero;
        if (bodyUsed && !request->bFailed && (total_ == UINT64_MAX || offset_ == total_))
            break;
        if (verdict == ResumeVerdict::StartOver || offset_ > total_)
            RestartFromZero();
        fruitless = offset_ > before ? 0 : fruitless + 1;
        if (fruitless > HTTPConnection::kMaxFruitlessTries)
            return Outcome::Failed;
        if (::WaitForSingleObject(cancelEvent_.Get(), HTTPConnection::RetryPauseMs(fruitless + 1)) == WAIT_OBJECT_0)
            return Outcome::Cancelled;
    }
    verifying_ = true;
    if (digest_.hex() != target_.digest) {
        partial_.Reset();
        DropPartial();
        return Outcome::DigestMismatch;
    }
    return Outcome::Verified;
}

// Called by a try's sink once its answer is in: false when its body is of no use.
bool PatchDownload::TakeAnswer(ResumeVerdict verdict, const std::string& rawHeaders, uint64_t contentSize)
{
    const bool fromStart = offset_ == 0 || verdict == ResumeVerdict::FromZero;
    if (verdict == ResumeVerdict::FromZero)
        RestartFromZero();
    if (verdict != ResumeVerdict::Append && verdict != ResumeVerdict::FromZero)
        return false;
    if (fromStart) {
        total_ = contentSize;
    } else if (total_ == UINT64_MAX && contentSize != UINT64_MAX) {
        total_ = offset_ + contentSize;
    }
    validator_ = HTTPConnection::ValidatorOf(rawHeaders);
    if (!validator_.empty())
        return SaveRecord();
    // Without a validator nothing vouches that a later answer is of the same file: no record,
    // so nothing resumes it.
    ::DeleteFileA(recordPath_.c_str());
    return true;
}

void PatchDownload::RestartFromZero()
{
    SeekTo(partial_.Get(), 0);
    ::SetEndOfFile(partial_.Get());
    offset_ = 0;
    received_ = 0;
    total_ = UINT64_MAX;
    digest_.reset();
}

bool PatchDownload::SaveRecord() const
{
    const ResumeRecord record{target_.fileName, target_.version, target_.digest, validator_, total_};
    return WriteFreshFile(recordPath_, WriteResumeRecord(record));
}

void PatchDownload::DropPartial()
{
    ::DeleteFileA(partialPath_.c_str());
    ::DeleteFileA(recordPath_.c_str());
}

// The whole file is there and its digest is the one listed: it takes the patch's name, and its
// hold is checked once more, since between the two handles another program could have
// changed it.
PatchDownload::Outcome PatchDownload::Store()
{
    partial_.Reset();
    ::DeleteFileA(recordPath_.c_str());
    const std::string path = FilePath();
    if ((!::DeleteFileA(path.c_str()) && ::GetLastError() != ERROR_FILE_NOT_FOUND) ||
        !::MoveFileA(partialPath_.c_str(), path.c_str())) {
        ::DeleteFileA(partialPath_.c_str());
        return Outcome::CannotStore;
    }
    held_ = HoldFile(path);
    clx::md5 check;
    if (!held_ || !Digest(held_.Get(), UINT64_MAX, check) || check.hex() != target_.digest)
        return cancelled_ ? Outcome::Cancelled : Outcome::CannotStore;
    return Outcome::Verified;
}

// Feeds up to `length` bytes from the file's start into the digest; false on a read failure or
// a cancel.
bool PatchDownload::Digest(HANDLE file, uint64_t length, clx::md5& digest) const
{
    if (!SeekTo(file, 0))
        return false;
    std::vector<char> buffer(1 << 20);
    uint64_t left = length;
    while (left > 0) {
        if (cancelled_)
            return false;
        DWORD count = 0;
        const DWORD want = static_cast<DWORD>(left < buffer.size() ? left : buffer.size());
        if (!::ReadFile(file, buffer.data(), want, &count, nullptr))
            return false;
        if (count == 0)
            return length == UINT64_MAX;
        digest.update(buffer.data(), count);
        left -= count;
    }
    return true;
}

void DropStalePartial(const std::string& folder, const std::string& fileName, const std::string& version,
                      const std::string& digest)
{
    const std::string recordPath = folder + kResumeRecordName;
    const auto record = ReadRecordFile(recordPath);
    if (record && !fileName.empty() && ResumesPatch(*record, fileName, version, digest))
        return;
    if (record && IsPlainFileName(record->fileName))
        ::DeleteFileA((folder + record->fileName + kPartialSuffix).c_str());
    ::DeleteFileA(recordPath.c_str());
}

}  // namespace Launcher::Patch
