#include "launcher/net/sha1.h"

#include <gtest/gtest.h>

#include <string>

namespace clx {
namespace {

std::string Sha1Hex(const std::string& text)
{
    return sha1().update(text).hex();
}

TEST(Sha1Test, MatchesTheFips180Vectors)
{
    EXPECT_EQ(Sha1Hex("abc"), "a9993e364706816aba3e25717850c26c9cd0d89d");
    EXPECT_EQ(Sha1Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "84983e441c3bd26ebaae4aa1f95129e5e54670f1");
    EXPECT_EQ(Sha1Hex(std::string(1000000, 'a')), "34aa973cd4c4daa4f61eeb2bdbad27316534016f");
    EXPECT_EQ(Sha1Hex(""), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
}

TEST(Sha1Test, PaddingBoundaries)
{
    EXPECT_EQ(Sha1Hex(std::string(55, 'a')), "c1c8bbdc22796e28c0e15163d20899b65621d65a");
    EXPECT_EQ(Sha1Hex(std::string(56, 'a')), "c2db330f6083854c99d4b5bfb6e8f29f201be699");
    EXPECT_EQ(Sha1Hex(std::string(64, 'a')), "0098ba824b5c16427bd7a1122a5a442a25ec644d");
}

}  // namespace
}  // namespace clx
