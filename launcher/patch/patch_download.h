#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "kiln/base/scoped_win.h"
#include "launcher/net/http_connection.h"
#include "launcher/net/md5.h"
#include "launcher/net/range_rules.h"

// The patch file's download, on a thread of its own: written into the working folder as it
// arrives, its MD5 computed on the way, resumed where it was cut off (also by a later run, for
// the same patch), and at the end checked once more through a hold that nobody can change.
namespace Launcher::Patch {

class PatchDownload {
public:
    struct Target {
        std::string url;
        std::string folder;    // the working folder, with its trailing backslash
        std::string fileName;  // the patch file's name there
        std::string version;
        std::string digest;    // lower-case MD5 the information lists
    };
    enum class Outcome {
        Running,
        Verified,        // the patch lies at its path, held: TakeHeldFile
        NotAvailable,    // the first answer was no 2xx (or none came)
        Failed,          // cut off too often in a row
        DigestMismatch,  // the whole file is not the one listed (and is gone)
        CannotStore,     // it could not be written, moved or held
        Cancelled,       // the part that arrived stays for a later run
    };

    // Null when no thread can be started.
    static std::shared_ptr<PatchDownload> Start(const Target& target);
    ~PatchDownload() = default;
    PatchDownload(const PatchDownload&) = delete;
    PatchDownload& operator=(const PatchDownload&) = delete;

    // Ends the download promptly; Finished tells when it has.
    void Cancel();

    bool Finished() const { return finished_; }
    Outcome Result() const { return outcome_; }
    // The first answer is in: its status counted as 2xx (or the server's "416" to a resume).
    bool Responded() const { return responded_; }
    bool FirstAnswerUsable() const { return firstAnswerUsable_; }
    // Everything has arrived; the file is being checked.
    bool Verifying() const { return verifying_; }
    uint64_t Received() const { return received_; }
    uint64_t Total() const { return total_; }  // UINT64_MAX while unknown

    // The verified patch's hold, for its program's start (once, after Verified).
    Kiln::UniqueFileHandle TakeHeldFile() { return std::move(held_); }
    std::string FilePath() const { return target_.folder + target_.fileName; }

private:
    class FileSink;

    explicit PatchDownload(Target target);
    static DWORD WINAPI Main(void* parameter);
    Outcome Run();
    bool OpenPartial();
    Outcome Transfer();
    Outcome Store();
    bool TakeAnswer(HTTPConnection::ResumeVerdict verdict, const std::string& rawHeaders, uint64_t contentSize);
    void RestartFromZero();
    bool SaveRecord() const;
    void DropPartial();
    bool Digest(HANDLE file, uint64_t length, clx::md5& digest) const;

    const Target target_;
    const std::string partialPath_;
    const std::string recordPath_;
    Kiln::UniqueHandle cancelEvent_;
    std::atomic<bool> cancelled_{false};
    std::atomic<bool> finished_{false};
    std::atomic<Outcome> outcome_{Outcome::Running};
    std::atomic<bool> responded_{false};
    std::atomic<bool> firstAnswerUsable_{false};
    std::atomic<bool> verifying_{false};
    std::atomic<uint64_t> received_{0};
    std::atomic<uint64_t> total_{UINT64_MAX};

    // The worker's own, between tries.
    Kiln::UniqueFileHandle partial_;
    uint64_t offset_ = 0;
    std::string validator_;
    clx::md5 digest_;
    Kiln::UniqueFileHandle held_;

    std::mutex currentLock_;
    std::shared_ptr<HTTPConnection::REQUEST_DATA> current_;  // the try in progress
};

// Removes a partial download and its record unless they continue the patch named (file name,
// version and digest; empty names: any).
void DropStalePartial(const std::string& folder, const std::string& fileName, const std::string& version,
                      const std::string& digest);

}  // namespace Launcher::Patch
