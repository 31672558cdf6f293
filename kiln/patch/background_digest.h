#pragma once

#include <atomic>
#include <memory>
#include <optional>
#include <thread>

#include "kiln/patch/byte_source.h"
#include "kiln/patch/digest.h"

namespace Kiln::Patch {

// The digest of a whole source, read front to back on a thread of its own while other work
// reads parts of the same file through another handle. Without a thread (none could be
// started) it is taken in Finish.
class BackgroundDigest {
public:
    explicit BackgroundDigest(std::unique_ptr<ByteSource> source);
    ~BackgroundDigest();  // an unfinished digest: stops reading
    BackgroundDigest(const BackgroundDigest&) = delete;
    BackgroundDigest& operator=(const BackgroundDigest&) = delete;

    // Nothing when the source could not be read to its end.
    std::optional<Sha256> Finish();

private:
    void Run();
    std::optional<Sha256> Read();

    std::unique_ptr<ByteSource> source_;
    std::atomic<bool> stopping_{false};
    bool done_ = false;
    std::optional<Sha256> digest_;
    std::thread thread_;
};

}  // namespace Kiln::Patch
