#include "kiln/patch/background_digest.h"

#include <algorithm>
#include <new>
#include <system_error>
#include <vector>

namespace Kiln::Patch {

BackgroundDigest::BackgroundDigest(std::unique_ptr<ByteSource> source) : source_(std::move(source))
{
    try {
        thread_ = std::thread(&BackgroundDigest::Run, this);
    } catch (const std::system_error&) {
        // Finish reads it.
    }
}

BackgroundDigest::~BackgroundDigest()
{
    stopping_ = true;
    if (thread_.joinable())
        thread_.join();
}

void BackgroundDigest::Run()
{
    done_ = true;
    try {
        digest_ = Read();
    } catch (const std::bad_alloc&) {
        digest_.reset();  // never past the thread
    }
}

std::optional<Sha256> BackgroundDigest::Read()
{
    if (!source_)
        return std::nullopt;
    Hasher hasher;
    std::vector<uint8_t> buffer(size_t{1} << 20);
    const uint64_t size = source_->Size();
    for (uint64_t at = 0; at < size; ) {
        const size_t piece = static_cast<size_t>(std::min<uint64_t>(buffer.size(), size - at));
        if (stopping_ || !source_->ReadAt(at, buffer.data(), piece))
            return std::nullopt;
        hasher.Update(buffer.data(), piece);
        at += piece;
    }
    return hasher.Finish();
}

std::optional<Sha256> BackgroundDigest::Finish()
{
    if (thread_.joinable())
        thread_.join();
    if (!done_)
        Run();
    return digest_;
}

}  // namespace Kiln::Patch
