#pragma once

#include <cstddef>
#include <cstdint>

#include "launcher/net/digest_blocks.h"

namespace clx {

// SHA-1 (FIPS 180-1), fed in pieces. OAuth signatures are HMAC-SHA1.
class sha1 : public detail::block_hash<sha1, 5, 20, true> {
private:
    friend class detail::block_hash<sha1, 5, 20, true>;
    static state_type initial_state();
    static void compress(state_type& state, const uint8_t* blocks, size_t count);
};

}  // namespace clx
