#include "kiln/cli/sign_support.h"

#include "kiln/cli/cli_support.h"
#include "kiln/crypt/signature.h"

namespace KilnCli {

namespace Signature = Kiln::Signature;

SignatureCheck CheckFileSignature(const std::string& publicKeyText, const std::string& path)
{
    const auto key = Signature::ReadPublicKey(publicKeyText);
    if (!key)
        return SignatureCheck::kBadKey;
    const auto bytes = ReadFileBytes(path, kMaxSignedBytes);
    if (!bytes)
        return SignatureCheck::kNoFile;
    const auto signatureText = ReadFileBytes(path + Signature::kFileSuffix, 1024);
    if (!signatureText)
        return SignatureCheck::kNoSignature;
    const auto signature = Signature::ReadSignature(*signatureText);
    if (!signature)
        return SignatureCheck::kBadSignatureText;
    return Signature::Verify(*key, *signature, *bytes) ? SignatureCheck::kGood : SignatureCheck::kBadSignature;
}

std::string Describe(SignatureCheck check, const std::string& path)
{
    const std::string signaturePath = path + Signature::kFileSuffix;
    switch (check) {
    case SignatureCheck::kGood:
        return "good";
    case SignatureCheck::kBadKey:
        return "the public key is not one line of Base64 for 32 bytes";
    case SignatureCheck::kNoFile:
        return "cannot read '" + path + "'";
    case SignatureCheck::kNoSignature:
        return "no signature file '" + signaturePath + "'";
    case SignatureCheck::kBadSignatureText:
        return "'" + signaturePath + "' is not a signature (one line of Base64, 64 bytes)";
    case SignatureCheck::kBadSignature:
        return "bad signature: '" + path + "' is not what the key's owner signed";
    }
    return "unknown";
}

}  // namespace KilnCli
