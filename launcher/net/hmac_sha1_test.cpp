#include "launcher/net/hmac_sha1.h"

#include <gtest/gtest.h>

#include <string>

namespace Launcher {
namespace {

std::string HmacHex(const std::string& key, const std::string& data)
{
    return clx::hex_string(HmacSha1(key, data));
}

TEST(HmacSha1Test, MatchesTheRfc2202Cases)
{
    EXPECT_EQ(HmacHex(std::string(20, '\x0b'), "Hi There"), "b617318655057264e28bc0b6fb378c8ef146be00");
    EXPECT_EQ(HmacHex("Jefe", "what do ya want for nothing?"), "effcdf6ae5eb2fa2d27416d5f184df9c259a7c79");
    EXPECT_EQ(HmacHex(std::string(20, '\xaa'), std::string(50, '\xdd')), "125d7342b9ac11cd91a39af48aa17b4f63f175d3");
    std::string counting;
    for (char c = 1; c <= 25; ++c)
        counting += c;
    EXPECT_EQ(HmacHex(counting, std::string(50, '\xcd')), "4c9007f4026250c6bc8414f9bf50c86c2d7235da");
    EXPECT_EQ(HmacHex(std::string(20, '\x0c'), "Test With Truncation"), "4c1a03424b55e07fe7f27be1d58bb9324a9a5a04");
}

TEST(HmacSha1Test, KeysLongerThanABlockAreHashedFirst)
{
    const std::string longKey(80, '\xaa');
    EXPECT_EQ(HmacHex(longKey, "Test Using Larger Than Block-Size Key - Hash Key First"),
              "aa4ae5e15272d00e95705637ce8a3b55ed402112");
    EXPECT_EQ(HmacHex(longKey, "Test Using Larger Than Block-Size Key and Larger Than One Block-Size Data"),
              "e8e99d0f45237d786d6bbaa7965c7808bbff1a91");
    // exactly one block is used as it is (value from Python's hmac)
    EXPECT_EQ(HmacHex(std::string(64, '\xaa'), "exactly one block of key"), "839d3f2e2be5f44414a97eb3c2e057e0fbce044d");
}

TEST(HmacSha1Test, EmptyKeyIsAllZeroPadding)
{
    EXPECT_EQ(HmacHex("", ""), "fbdb1d1b18aa6c08324b7d64b71fb76370690e1d");
}

}  // namespace
}  // namespace Launcher
