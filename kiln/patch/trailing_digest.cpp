#include "kiln/patch/trailing_digest.h"

#include <system_error>

namespace Kiln::Patch {

TrailingDigest::TrailingDigest(const uint8_t* data, size_t size) : data_(data), size_(size)
{
    try {
        thread_ = std::thread(&TrailingDigest::Run, this);
    } catch (const std::system_error&) {
        // Finish hashes what is left.
    }
}

TrailingDigest::~TrailingDigest()
{
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_one();
    if (thread_.joinable())
        thread_.join();
}

void TrailingDigest::Filled(size_t end)
{
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        filled_ = end < size_ ? end : size_;
    }
    changed_.notify_one();
}

void TrailingDigest::Run()
{
    while (hashed_ < size_) {
        size_t end = 0;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [this] { return stopping_ || filled_ > hashed_; });
            if (stopping_ && filled_ <= hashed_)
                return;
            end = filled_;
        }
        hasher_.Update(data_ + hashed_, end - hashed_);
        hashed_ = end;
    }
}

Sha256 TrailingDigest::Finish()
{
    if (thread_.joinable())
        thread_.join();
    if (hashed_ < size_) {
        hasher_.Update(data_ + hashed_, size_ - hashed_);
        hashed_ = size_;
    }
    return hasher_.Finish();
}

}  // namespace Kiln::Patch
