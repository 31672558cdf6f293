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

std::optional<Signature::Seed> ReadSecretFile(const std::string& path, Streams& streams, const char* name)
{
    const auto text = ReadFileBytes(path, 1024);
    if (!text) {
        Failure(streams, name, "cannot read the secret file '" + path + "'");
        return std::nullopt;
    }
    const auto seed = Signature::ReadSeed(*text);
    if (!seed)
        Failure(streams, name, "'" + path + "' is not a secret file (one line of Base64, 32 bytes)");
    return seed;
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

// sign SECRETFILE FILE
int SignFile(const Arguments& arguments, Streams& streams)
{
    if (arguments.size() != 2)
        return UsageError(streams, "sign", "takes SECRETFILE FILE");
    const auto seed = ReadSecretFile(arguments[0], streams, "sign");
    if (!seed)
        return kFailed;
    const auto bytes = ReadFileBytes(arguments[1], kMaxSignedBytes);
    if (!bytes)
        return Failure(streams, "sign", "cannot read '" + arguments[1] + "'");
    const std::string signaturePath = arguments[1] + Signature::kFileSuffix;
    if (!WriteFileBytes(signaturePath, Signature::WriteText(Signature::Sign(*seed, *bytes)) + "\n"))
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
    return kOk;
}

}  // namespace

int RunKeyGen(const Arguments& arguments, Streams& streams) { return KeyGen(arguments, streams); }
int RunSign(const Arguments& arguments, Streams& streams) { return SignFile(arguments, streams); }
int RunVerify(const Arguments& arguments, Streams& streams) { return VerifyFile(arguments, streams); }

}  // namespace KilnCli
