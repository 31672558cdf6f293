#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <thread>

#include "kiln/patch/digest.h"

namespace Kiln::Patch {

// The digest of a buffer that is still being filled (read from disk, decoded), taken on a
// thread of its own so that hashing costs no time of the filler's; it never reads past the end
// the filler has announced. Without a thread (none could be started) it hashes in Finish.
class TrailingDigest {
public:
    TrailingDigest(const uint8_t* data, size_t size);
    ~TrailingDigest();  // an unfinished fill: stops hashing
    TrailingDigest(const TrailingDigest&) = delete;
    TrailingDigest& operator=(const TrailingDigest&) = delete;

    // Bytes [0, end) are final.
    void Filled(size_t end);
    // The digest of the whole buffer; only after Filled(size).
    Sha256 Finish();

private:
    void Run();

    const uint8_t* data_;
    size_t size_;
    Hasher hasher_;
    size_t hashed_ = 0;  // the thread's own
    std::mutex mutex_;
    std::condition_variable changed_;
    size_t filled_ = 0;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace Kiln::Patch
