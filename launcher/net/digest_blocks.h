#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

// What MD5 and SHA-1 share: input gathered into 64-byte blocks, and the final padding (0x80,
// zeros, the message length in bits as a 64-bit number in the digest's byte order).
namespace clx::detail {

class block_feeder {
public:
    static constexpr size_t block_size = 64;

    // Calls compress(blocks, count) for every whole block, straight from `data` when it can.
    template <class Compress>
    void update(const uint8_t* data, size_t length, Compress&& compress)
    {
        total_ += length;
        if (buffered_ > 0) {
            const size_t take = std::min(length, block_size - buffered_);
            std::memcpy(buffer_ + buffered_, data, take);
            buffered_ += take;
            data += take;
            length -= take;
            if (buffered_ < block_size)
                return;
            compress(buffer_, 1);
            buffered_ = 0;
        }
        if (length >= block_size) {
            compress(data, length / block_size);
            data += length / block_size * block_size;
            length %= block_size;
        }
        std::memcpy(buffer_, data, length);
        buffered_ = length;
    }

    template <class Compress>
    void finish(bool big_endian_length, Compress&& compress)
    {
        const uint64_t bits = total_ * 8;
        uint8_t last[2 * block_size] = {};
        std::memcpy(last, buffer_, buffered_);
        last[buffered_] = 0x80;
        const size_t padded = buffered_ < block_size - 8 ? block_size : 2 * block_size;
        for (size_t i = 0; i < 8; ++i) {
            const size_t shift = big_endian_length ? 56 - 8 * i : 8 * i;
            last[padded - 8 + i] = static_cast<uint8_t>(bits >> shift);
        }
        compress(last, padded / block_size);
        buffered_ = 0;
    }

private:
    uint64_t total_ = 0;
    uint8_t buffer_[block_size] = {};
    size_t buffered_ = 0;
};

}  // namespace clx::detail

namespace clx {

// Lower-case hexadecimal text of a digest.
template <size_t N>
std::string hex_string(const std::array<uint8_t, N>& digest)
{
    static const char hex[] = "0123456789abcdef";
    std::string text;
    for (const uint8_t byte : digest) {
        text += hex[byte >> 4];
        text += hex[byte & 0xF];
    }
    return text;
}

namespace detail {

// A digest over 64-byte blocks whose state is `StateWords` 32-bit words, output in the same
// byte order as the length in the padding. `Algorithm` supplies initial_state() and
// compress(state, blocks, count).
template <class Algorithm, size_t StateWords, size_t DigestSize, bool BigEndian>
class block_hash {
public:
    using digest_type = std::array<uint8_t, DigestSize>;
    using state_type = std::array<uint32_t, StateWords>;

    void reset()
    {
        state_ = Algorithm::initial_state();
        feeder_ = block_feeder();
    }

    Algorithm& update(const void* data, size_t length)
    {
        feeder_.update(static_cast<const uint8_t*>(data), length,
                       [this](const uint8_t* blocks, size_t count) { Algorithm::compress(state_, blocks, count); });
        return static_cast<Algorithm&>(*this);
    }

    Algorithm& update(std::string_view bytes) { return update(bytes.data(), bytes.size()); }

    // The digest of everything fed so far; more may be fed afterwards.
    digest_type digest() const
    {
        state_type state = state_;
        block_feeder feeder = feeder_;
        feeder.finish(BigEndian, [&state](const uint8_t* blocks, size_t count) {
            Algorithm::compress(state, blocks, count);
        });
        digest_type digest;
        for (size_t i = 0; i < DigestSize; ++i) {
            const size_t shift = BigEndian ? 24 - 8 * (i % 4) : 8 * (i % 4);
            digest[i] = static_cast<uint8_t>(state[i / 4] >> shift);
        }
        return digest;
    }

    std::string hex() const { return hex_string(digest()); }

protected:
    block_hash() { reset(); }

private:
    state_type state_;
    block_feeder feeder_;
};

}  // namespace detail
}  // namespace clx
