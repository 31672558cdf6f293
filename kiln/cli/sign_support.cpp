#include "kiln/cli/sign_support.h"

#include <ctime>
#include <ostream>

#include "kiln/cli/cli_support.h"
#include "kiln/crypt/signature.h"
#include "launcher/patch/update_info.h"

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

bool IsUpdateInformation(std::string_view text)
{
    return !Launcher::ParseUpdateInfo(text).empty();
}

uint64_t NextSerial(std::optional<uint64_t> asked, std::string_view information, int64_t now)
{
    if (asked)
        return *asked;
    const auto stamp = Launcher::Patch::ReadStamp(information);
    const uint64_t clock = now > 0 ? static_cast<uint64_t>(now) : 0;
    return stamp && stamp->serial >= clock ? stamp->serial + 1 : clock;
}

StampedInformation StampInformation(std::string_view information, std::optional<uint64_t> asked,
                                    std::optional<int64_t> expiresDays, int64_t now)
{
    StampedInformation stamped;
    if (const auto before = Launcher::Patch::ReadStamp(information); before && before->serial != 0)
        stamped.previous = before->serial;
    stamped.stamp.serial = NextSerial(asked, information, now);
    if (expiresDays)
        stamped.stamp.expires = now + *expiresDays * 86400;
    stamped.text = Launcher::Patch::WriteStamp(information, stamped.stamp);
    return stamped;
}

std::optional<Signature::Seed> ReadSecretFile(const std::string& path, Streams& streams, const char* command)
{
    const auto text = ReadFileBytes(path, 1024);
    if (!text) {
        Failure(streams, command, "cannot read the secret file '" + path + "'");
        return std::nullopt;
    }
    const auto seed = Signature::ReadSeed(*text);
    if (!seed)
        Failure(streams, command, "'" + path + "' is not a secret file (one line of Base64, 32 bytes)");
    return seed;
}

std::string SignatureFileText(const Signature::Seed& seed, std::string_view bytes)
{
    return Signature::WriteText(Signature::Sign(seed, bytes)) + "\n";
}

std::optional<std::string> DescribeStamp(std::string_view information, int64_t now, std::ostream& out)
{
    using Launcher::Patch::Freshness;
    const auto stamp = Launcher::Patch::ReadStamp(information);
    if (!stamp)
        return std::string("its serial or expiry line (after the first empty line) is unreadable");
    out << "serial: " << stamp->serial << (stamp->serial == 0 ? " (none written)" : "") << "\n"
        << "expires: " << (stamp->expires ? Launcher::Patch::FormatUtc(*stamp->expires) : std::string("never")) << "\n";
    if (Launcher::Patch::JudgeStamp(stamp, 0, now) == Freshness::Expired)
        return "it expired at " + Launcher::Patch::FormatUtc(*stamp->expires) + "; sign it again";
    return std::nullopt;
}

int64_t UtcNow()
{
    return static_cast<int64_t>(std::time(nullptr));
}

}  // namespace KilnCli
