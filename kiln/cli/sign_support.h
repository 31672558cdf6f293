#pragma once

#include <cstdint>
#include <string>

// The signature check that `verify` and `updateinfo check --public-key` share.
namespace KilnCli {

// Signed files are read whole; update information is far smaller.
constexpr uint64_t kMaxSignedBytes = uint64_t{1} << 30;

enum class SignatureCheck { kGood, kBadKey, kNoFile, kNoSignature, kBadSignatureText, kBadSignature };

// FILE against FILE.sig under the Base64 public key.
SignatureCheck CheckFileSignature(const std::string& publicKeyText, const std::string& path);

// Why the check failed, in words naming the files.
std::string Describe(SignatureCheck check, const std::string& path);

}  // namespace KilnCli
