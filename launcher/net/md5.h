#pragma once

#include <cstddef>
#include <cstdint>

#include "launcher/net/digest_blocks.h"

namespace clx {

// MD5 (RFC 1321), fed in pieces. The auto-patcher checks downloads with it.
class md5 : public detail::block_hash<md5, 4, 16, false> {
private:
    friend class detail::block_hash<md5, 4, 16, false>;
    static state_type initial_state();
    static void compress(state_type& state, const uint8_t* blocks, size_t count);
};

}  // namespace clx
