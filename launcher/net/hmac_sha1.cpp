#include "launcher/net/hmac_sha1.h"

#include <cstdint>
#include <cstring>

namespace Launcher {

clx::sha1::digest_type HmacSha1(std::string_view key, std::string_view message)
{
    constexpr size_t kBlock = clx::detail::block_feeder::block_size;
    uint8_t block[kBlock] = {};
    if (key.size() > kBlock) {
        const clx::sha1::digest_type hashed = clx::sha1().update(key).digest();
        std::memcpy(block, hashed.data(), hashed.size());
    } else if (!key.empty()) {
        std::memcpy(block, key.data(), key.size());
    }

    uint8_t inner[kBlock], outer[kBlock];
    for (size_t i = 0; i < kBlock; ++i) {
        inner[i] = static_cast<uint8_t>(block[i] ^ 0x36);
        outer[i] = static_cast<uint8_t>(block[i] ^ 0x5C);
    }
    const clx::sha1::digest_type innerDigest = clx::sha1().update(inner, kBlock).update(message).digest();
    return clx::sha1().update(outer, kBlock).update(innerDigest.data(), innerDigest.size()).digest();
}

}  // namespace Launcher
