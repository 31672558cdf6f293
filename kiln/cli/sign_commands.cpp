#include <fcntl.h>
#include <sys/stat.h>

#include <cstdio>
#include <ostream>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "kiln/cli/cli_support.h"
#include "kiln/cli/command_groups.h"
#include "kiln/cli/sign_support.h"
#include "kiln/crypt/signature.h"

namespace KilnCli {
namespace {

namespace Signature = Kiln::Signature;

#ifndef O_BINARY
#define O_BINARY 0
#endif

// Creates the file only when no file of that name exists, readable by its owner alone where
// the system has owners: a secret must never replace another one by accident.
bool CreateNewFile(const std::string& path, const std::string& text)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_BINARY, 0600);
    if (fd < 0)
        return false;
    const long long written = ::write(fd, text.data(), static_cast<unsigned>(text.size()));
    const bool closed = ::close(fd) == 0;
    if (written != static_cast<long long>(text.size()) || !closed) {
        std::remove(path.c_str());
        return false;
    }
    return true;
}

// keygen SECRETFILE
int KeyGen(const Arguments& arguments, Streams& streams)
{
    if (arguments.size() != 1)
        return UsageError(streams, "keygen", "takes SECRETFILE");
    const Signature::Seed seed = Signature::MakeSeed();
    if (!CreateNewFile(arguments[0], Signature::WriteText(seed) + "\n"))
        return Failure(streams, "keygen", "cannot create '" + arguments[0] + "' (an existing file is never replaced)");
    streams.out << Signature::WriteText(Signature::PublicKeyOf(seed)) << "\n";
    return kOk;
}

// The options of `sign` after SECRETFILE FILE.
struct SignOptions {
    std::optional<uint64_t> serial;
    std::optional<int64_t> expiresDays;
};

std::optional<SignOptions> ReadSignOptions(const Arguments& arguments, Streams& streams)
{
    SignOptions options;
    for (size_t i = 2; i < arguments.size(); i += 2) {
        const std::string& name = arguments[i];
        if (i + 1 >= arguments.size() || (name != "--serial" && name != "--expires")) {
            UsageError(streams, "sign", "unknown option or missing value: '" + name + "'");
            return std::nullopt;
        }
        const std::string& value = arguments[i + 1];
        const auto number = ReadDecimal(value);
        if (name == "--serial") {
            if (!number || *number > static_cast<uint64_t>(INT64_MAX)) {
                UsageError(streams, "sign", "--serial takes a decimal number below 2^63");
                return std::nullopt;
            }
            options.serial = *number;
        } else {
            constexpr uint64_t kMaxDays = 36500;
            if (!number || *number == 0 || *number > kMaxDays) {
                UsageError(streams, "sign", "--expires takes a number of days from 1 to 36500");
                return std::nullopt;
            }
            options.expiresDays = static_cast<int64_t>(*number);
        }
    }
    return options;
}

// sign SECRETFILE FILE [--serial N] [--expires DAYS]
int SignFile(const Arguments& arguments, Streams& streams)
{
    if (arguments.size() < 2)
        return UsageError(streams, "sign", "takes SECRETFILE FILE");
    const auto options = ReadSignOptions(arguments, streams);
    if (!options)
        return kBadUsage;
    const auto seed = ReadSecretFile(arguments[0], streams, "sign");
    if (!seed)
        return kFailed;
    const std::string& path = arguments[1];
    auto bytes = ReadFileBytes(path, kMaxSignedBytes);
    if (!bytes)
        return Failure(streams, "sign", "cannot read '" + path + "'");
    if (IsUpdateInformation(*bytes)) {
        const int64_t now = UtcNow();
        StampedInformation stamped = StampInformation(*bytes, options->serial, options->expiresDays, now);
        if (stamped.previous && stamped.stamp.serial < *stamped.previous)
            streams.err << "kiln sign: warning: serial " << stamped.stamp.serial << " is below the file's "
                        << *stamped.previous << ": launchers that took that one refuse this\n";
        *bytes = std::move(stamped.text);
        if (!WriteFileBytes(path, *bytes))
            return Failure(streams, "sign", "cannot write '" + path + "'");
        DescribeStamp(*bytes, now, streams.out);
    } else if (options->serial || options->expiresDays) {
        return UsageError(streams, "sign", "'" + path + "' lists no update entries: only update information carries a serial");
    }
    const std::string signaturePath = path + Signature::kFileSuffix;
    if (!WriteFileBytes(signaturePath, SignatureFileText(*seed, *bytes)))
        return Failure(streams, "sign", "cannot write '" + signaturePath + "'");
    return kOk;
}

// verify PUBLICKEY FILE
int VerifyFile(const Arguments& arguments, Streams& streams)
{
    if (arguments.size() != 2)
        return UsageError(streams, "verify", "takes PUBLICKEY FILE");
    const SignatureCheck check = CheckFileSignature(arguments[0], arguments[1]);
    if (check != SignatureCheck::kGood)
        return Failure(streams, "verify", Describe(check, arguments[1]));
    streams.out << "good\n";
    const auto bytes = ReadFileBytes(arguments[1], kMaxSignedBytes);
    if (bytes && IsUpdateInformation(*bytes)) {
        if (const auto refusal = DescribeStamp(*bytes, UtcNow(), streams.out))
            return Failure(streams, "verify", "launchers refuse '" + arguments[1] + "': " + *refusal);
    }
    return kOk;
}

}  // namespace

int RunKeyGen(const Arguments& arguments, Streams& streams) { return KeyGen(arguments, streams); }
int RunSign(const Arguments& arguments, Streams& streams) { return SignFile(arguments, streams); }
int RunVerify(const Arguments& arguments, Streams& streams) { return VerifyFile(arguments, streams); }

}  // namespace KilnCli
