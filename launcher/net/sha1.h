#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "launcher/net/digest_blocks.h"

namespace clx {

// SHA-1 (FIPS 180-1), fed in pieces. OAuth signatures are HMAC-SHA1.
class sha1 {
public:
    using digest_type = std::array<uint8_t, 20>;

    sha1() { reset(); }
    void reset();
    sha1& update(const void* data, size_t length);
    sha1& update(std::string_view bytes) { return update(bytes.data(), bytes.size()); }
    // The digest of everything fed so far; more may be fed afterwards.
    digest_type digest() const;
    std::string hex() const { return hex_string(digest()); }

private:
    void compress(const uint8_t* blocks, size_t count);

    uint32_t state_[5];
    detail::block_feeder feeder_;
};

}  // namespace clx
