#include <istream>
#include <ostream>

#include "kiln/cli/cli_support.h"
#include "kiln/cli/command_groups.h"
#include "kiln/crypt/seal_string.h"

namespace KilnCli {
namespace {

// Sealed text that went through a file or a pipe usually gained the line end `seal` prints.
std::string_view WithoutFinalLineEnd(std::string_view text)
{
    if (!text.empty() && text.back() == '\n')
        text.remove_suffix(1);
    if (!text.empty() && text.back() == '\r')
        text.remove_suffix(1);
    return text;
}

}  // namespace

int RunSeal(const Arguments& arguments, Streams& streams)
{
    if (arguments.size() != 1)
        return UsageError(streams, "seal", "expected exactly one KEY");
    const std::string plain = ReadAll(streams.in);
    const std::string sealed = Kiln::SealString(arguments[0], plain);
    if (sealed.empty())
        return Failure(streams, "seal", "sealing failed");
    streams.out << sealed << "\n";
    return kOk;
}

int RunUnseal(const Arguments& arguments, Streams& streams)
{
    if (arguments.size() != 1)
        return UsageError(streams, "unseal", "expected exactly one KEY");
    const std::string sealed = ReadAll(streams.in);
    const std::string plain = Kiln::UnsealString(arguments[0], WithoutFinalLineEnd(sealed));
    if (plain.empty())
        return Failure(streams, "unseal", "nothing unsealed (wrong key, damaged or empty text)");
    streams.out.write(plain.data(), static_cast<std::streamsize>(plain.size()));
    return kOk;
}

}  // namespace KilnCli
