#include <gtest/gtest.h>

#include <string>

#include "kiln/crypt/signature.h"

namespace Kiln::Signature {
namespace {

std::string FromHex(const std::string& hex)
{
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

template <size_t N>
std::string Hex(const std::array<uint8_t, N>& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (const uint8_t b : bytes) {
        text.push_back(digits[b >> 4]);
        text.push_back(digits[b & 15]);
    }
    return text;
}

template <size_t N>
std::array<uint8_t, N> ArrayFromHex(const std::string& hex)
{
    const std::string bytes = FromHex(hex);
    std::array<uint8_t, N> result{};
    for (size_t i = 0; i < N; ++i)
        result[i] = static_cast<uint8_t>(bytes.at(i));
    return result;
}

// RFC 8032 section 7.1, tests 1 to 3: secret key (seed), public key, message, signature.
struct Vector {
    const char* seed;
    const char* publicKey;
    const char* message;
    const char* signature;
};
const Vector kVectors[] = {
    {"9d61b19deffd5a60ba844af492ec2cc44449c5697b326919703bac031cae7f60",
     "d75a980182b10ab7d54bfed3c964073a0ee172f3daa62325af021a68f707511a", "",
     "e5564300c360ac729086e2cc806e828a84877f1eb8e5d974d873e065224901555fb8821590a33bacc61e39701cf9b46bd25bf5f0595bbe24655141438e7a100b"},
    {"4ccd089b28ff96da9db6c346ec114e0f5b8a319f35aba624da8cf6ed4fb8a6fb",
     "3d4017c3e843895a92b70aa74d1b7ebc9c982ccf2ec4968cc0cd55f12af4660c", "72",
     "92a009a9f0d4cab8720e820b5f642540a2b27b5416503f8fb3762223ebdb69da085ac1e43e15996e458f3613d0f11d8c387b2eaeb4302aeeb00d291612bb0c00"},
    {"c5aa8df43f9f837bedb7442f31dcb7b166d38535076f094b85ce3a2e0b4458f7",
     "fc51cd8e6218a1a38da47ed00230f0580816ed13ba3303ac5deb911548908025", "af82",
     "6291d657deec24024827e69c3abe01a30ce548a284743a445e3680d7db5ac3ac18ff9b538d16f290ae67f760984dc6594a7c15e9716ed28dc027beceea1ec40a"},
};

TEST(SignatureTest, PublishedVectorsSignAndVerify)
{
    for (const Vector& v : kVectors) {
        const Seed seed = ArrayFromHex<32>(v.seed);
        const PublicKey key = ArrayFromHex<32>(v.publicKey);
        const std::string message = FromHex(v.message);
        EXPECT_EQ(Hex(PublicKeyOf(seed)), v.publicKey);
        const Signature signature = Sign(seed, message);
        EXPECT_EQ(Hex(signature), v.signature);
        EXPECT_TRUE(Verify(key, signature, message));

        // one flipped bit anywhere fails: message, signature, key
        EXPECT_FALSE(Verify(key, signature, message + "x"));
        Signature bent = signature;
        bent[63] ^= 0x01;
        EXPECT_FALSE(Verify(key, bent, message));
        PublicKey other = key;
        other[0] ^= 0x80;
        EXPECT_FALSE(Verify(other, signature, message));
    }
}

TEST(SignatureTest, TextReadersTakeExactlyOneLineOfTheRightSize)
{
    // The first vector's public key in Base64 (as `base64` of its 32 bytes writes it).
    const std::string key = "11qYAYKxCrfVS/7TyWQHOg7hcvPapiMlrwIaaPcHURo=";
    ASSERT_TRUE(ReadPublicKey(key));
    EXPECT_EQ(Hex(*ReadPublicKey(key)), kVectors[0].publicKey);
    EXPECT_EQ(WriteText(*ReadPublicKey(key)), key);
    EXPECT_TRUE(ReadPublicKey(key + "\n"));
    EXPECT_TRUE(ReadPublicKey(key + "\r\n"));
    EXPECT_TRUE(ReadSeed(key));  // the same size
    EXPECT_FALSE(ReadSignature(key));

    for (const std::string& wrong : {std::string(), key + "\n\n", " " + key, key + " ", key.substr(0, 40),
                                     key.substr(0, 43), "AAAA" + key, key.substr(0, 43) + "\n=",
                                     std::string("11qYAYKxCrfVS/7TyWQHOg7hcvPapiMlrwIaaPcHURo")})
        EXPECT_FALSE(ReadPublicKey(wrong)) << wrong;

    const Signature signature = ArrayFromHex<64>(kVectors[0].signature);
    EXPECT_EQ(ReadSignature(WriteText(signature) + "\n"), signature);
    EXPECT_EQ(WriteText(signature).size(), 88u);
}

TEST(SignatureTest, FreshSeedsDifferAndSignForTheirOwnKey)
{
    const Seed a = MakeSeed();
    const Seed b = MakeSeed();
    EXPECT_NE(a, b);
    EXPECT_TRUE(Verify(PublicKeyOf(a), Sign(a, "info"), "info"));
    EXPECT_FALSE(Verify(PublicKeyOf(b), Sign(a, "info"), "info"));
}

}  // namespace
}  // namespace Kiln::Signature
