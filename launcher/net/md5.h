#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "launcher/net/digest_blocks.h"

namespace clx {

// MD5 (RFC 1321), fed in pieces. The auto-patcher checks downloads with it.
class md5 {
public:
    using digest_type = std::array<uint8_t, 16>;

    md5() { reset(); }
    void reset();
    md5& update(const void* data, size_t length);
    md5& update(std::string_view bytes) { return update(bytes.data(), bytes.size()); }
    // The digest of everything fed so far; more may be fed afterwards.
    digest_type digest() const;
    std::string hex() const { return hex_string(digest()); }

private:
    void compress(const uint8_t* blocks, size_t count);

    uint32_t state_[4];
    detail::block_feeder feeder_;
};

}  // namespace clx
