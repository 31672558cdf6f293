#pragma once

#include <string_view>

#include "launcher/net/sha1.h"

namespace Launcher {

// HMAC (RFC 2104) over SHA-1 with 64-byte blocks; a key longer than a block is hashed first.
clx::sha1::digest_type HmacSha1(std::string_view key, std::string_view message);

}  // namespace Launcher
