#include "kiln/crypt/base64.h"

#include <gtest/gtest.h>

#include <string>

namespace Kiln {
namespace {

TEST(Base64Test, EncodesTheRfc4648Vectors)
{
    EXPECT_EQ(Base64Encode(""), "");
    EXPECT_EQ(Base64Encode("f"), "Zg==");
    EXPECT_EQ(Base64Encode("fo"), "Zm8=");
    EXPECT_EQ(Base64Encode("foo"), "Zm9v");
    EXPECT_EQ(Base64Encode("foob"), "Zm9vYg==");
    EXPECT_EQ(Base64Encode("fooba"), "Zm9vYmE=");
    EXPECT_EQ(Base64Encode("foobar"), "Zm9vYmFy");
}

TEST(Base64Test, DecodesTheRfc4648Vectors)
{
    EXPECT_EQ(Base64Decode(""), std::string());
    EXPECT_EQ(Base64Decode("Zg=="), "f");
    EXPECT_EQ(Base64Decode("Zm8="), "fo");
    EXPECT_EQ(Base64Decode("Zm9v"), "foo");
    EXPECT_EQ(Base64Decode("Zm9vYg=="), "foob");
    EXPECT_EQ(Base64Decode("Zm9vYmE="), "fooba");
    EXPECT_EQ(Base64Decode("Zm9vYmFy"), "foobar");
}

TEST(Base64Test, UsesTheStandardAlphabetForHighBytes)
{
    const std::string bytes("\xFB\xFF\xBF\x00\x10\x83", 6);
    EXPECT_EQ(Base64Encode(bytes), "+/+/ABCD");
    EXPECT_EQ(Base64Decode("+/+/ABCD"), bytes);

    std::string all;
    for (int i = 0; i < 256; ++i)
        all += static_cast<char>(i);
    for (size_t length = 0; length <= all.size(); length += 37)
        EXPECT_EQ(Base64Decode(Base64Encode(all.substr(0, length))), all.substr(0, length));
}

TEST(Base64Test, RejectsAnythingTheEncoderDoesNotWrite)
{
    EXPECT_FALSE(Base64Decode("Zm9"));         // not whole groups
    EXPECT_FALSE(Base64Decode("Zm9vY"));
    EXPECT_FALSE(Base64Decode("Zm9v\n"));      // line breaks
    EXPECT_FALSE(Base64Decode("Zm 9"));        // spaces
    EXPECT_FALSE(Base64Decode("Zm-_"));        // URL-safe alphabet
    EXPECT_FALSE(Base64Decode("Z=9v"));        // padding inside
    EXPECT_FALSE(Base64Decode("Zg==Zm9v"));    // padding before more data
    EXPECT_FALSE(Base64Decode("Z==="));        // three pad characters
    EXPECT_FALSE(Base64Decode("===="));
    EXPECT_FALSE(Base64Decode("Zh=="));        // "f" with stray low bits
    EXPECT_FALSE(Base64Decode("Zm9="));
    EXPECT_FALSE(Base64Decode(std::string("Zm9\0", 4)));
    EXPECT_FALSE(Base64Decode("Zm9\x83"));
}

}  // namespace
}  // namespace Kiln
