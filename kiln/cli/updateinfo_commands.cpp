#include <ostream>
#include <sstream>

#include "kiln/base/number_scan.h"
#include "kiln/cli/cli_support.h"
#include "kiln/cli/command_groups.h"
#include "kiln/cli/sign_support.h"
#include "launcher/net/md5.h"
#include "launcher/patch/patch_rules.h"
#include "launcher/patch/update_info.h"

namespace KilnCli {
namespace {

constexpr char kName[] = "updateinfo";

bool IsDigest(const std::string& text)
{
    if (text.size() != 32)
        return false;
    for (const char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')))
            return false;
    }
    return true;
}

// updateinfo line VERSION FLAG PATCHFILE
int Line(const Arguments& arguments, Streams& streams)
{
    if (arguments.size() != 4)
        return UsageError(streams, kName, "line takes VERSION FLAG PATCHFILE");
    const std::string& version = arguments[1];
    if (version.empty() || version.find_first_of(",\r\n") != std::string::npos)
        return UsageError(streams, kName, "VERSION must be non-empty, without commas or line breaks");
    size_t pos = 0;
    const auto flag = Kiln::NumberScan::ScanDecimal(arguments[2], pos);
    if (!flag || *flag < 0 || pos != arguments[2].size())
        return UsageError(streams, kName, "FLAG must be a decimal number (0: the patch leaves the launcher alone)");
    clx::md5 digest;
    if (!ReadFilePieces(arguments[3], [&digest](const char* data, size_t size) { digest.update(data, size); }))
        return Failure(streams, kName, "cannot read '" + arguments[3] + "'");
    streams.out << Launcher::FormatUpdateEntry(version, digest.hex(), static_cast<uint32_t>(*flag),
                                               BaseName(arguments[3]))
                << "\n";
    return kOk;
}

int Evaluate(const std::string& body, const std::string& installed, const std::string& prefix, Streams& streams);

// updateinfo check INFOFILE --installed VERSION [--prefix PATTERN] [--public-key KEY]
int Check(const Arguments& arguments, Streams& streams)
{
    std::string installed;
    std::string prefix;
    std::string publicKey;
    bool haveInstalled = false;
    bool haveKey = false;
    for (size_t i = 2; i < arguments.size(); i += 2) {
        if (i + 1 >= arguments.size())
            return UsageError(streams, kName, "'" + arguments[i] + "' needs a value");
        if (arguments[i] == "--installed") {
            installed = arguments[i + 1];
            haveInstalled = true;
        } else if (arguments[i] == "--prefix") {
            prefix = arguments[i + 1];
        } else if (arguments[i] == "--public-key") {
            publicKey = arguments[i + 1];
            haveKey = true;
        } else {
            return UsageError(streams, kName, "unknown option '" + arguments[i] + "'");
        }
    }
    if (arguments.size() < 2 || !haveInstalled)
        return UsageError(streams, kName, "check takes INFOFILE --installed VERSION");
    ReadError error = ReadError::kNone;
    const auto body = ReadFileBytes(arguments[1], Launcher::Patch::kMaxInformationBytes, &error);
    if (!body && error == ReadError::kTooLarge)
        return Failure(streams, kName, "'" + arguments[1] + "' is larger than the launcher reads (1 MiB)");
    if (!body)
        return Failure(streams, kName, "cannot read '" + arguments[1] + "'");
    // As the launcher does: nothing of an unverified file is read.
    if (haveKey) {
        const SignatureCheck check = CheckFileSignature(publicKey, arguments[1]);
        if (check != SignatureCheck::kGood)
            return Failure(streams, kName,
                           Describe(check, arguments[1]) + " (the launcher would refuse this information)");
        streams.out << "signature: good\n";
    }

    // A signed file's stamp decides before its entries are read, as in the launcher.
    std::ostringstream stamp;
    if (haveKey) {
        if (const auto refusal = DescribeStamp(*body, UtcNow(), stamp))
            return Failure(streams, kName, "the launcher would refuse this information: " + *refusal);
    }
    const int code = Evaluate(*body, installed, prefix, streams);
    streams.out << stamp.str();
    return code;
}

// What the launcher at `installed` would do with the information.
int Evaluate(const std::string& body, const std::string& installed, const std::string& prefix, Streams& streams)
{
    const auto entries = Launcher::ParseUpdateInfo(body);
    const Launcher::NextPatch next = Launcher::FindNextPatch(entries, installed);
    switch (next.kind) {
    case Launcher::NextPatch::Kind::VersionUnknown:
        streams.out << "none: version '" << installed << "' is not among the " << entries.size()
                    << " entries read (the launcher reports that it cannot get the version information)\n";
        return kFailed;
    case Launcher::NextPatch::Kind::AlreadyLatest:
        streams.out << "none: " << installed << " is the newest version listed\n";
        return kOk;
    case Launcher::NextPatch::Kind::Patch:
        break;
    }
    const Launcher::UpdateEntry& patch = next.entry;
    streams.out << "next: " << patch.version << "\n"
                << "md5: " << patch.digest << "\n"
                << "launcher update: " << (patch.launcherUpdate != 0 ? "yes (the launcher quits)" : "no") << "\n";
    if (!prefix.empty()) {
        try {
            streams.out << "file: " << Launcher::Patch::PatchFileName(prefix, patch.version) << "\n";
        } catch (const std::exception&) {
            return Failure(streams, kName, "the prefix '" + prefix + "' must hold %1% exactly once as its placeholder");
        }
    }
    if (!IsDigest(patch.digest)) {
        streams.out << "warning: the digest is not 32 hexadecimal digits: every download will fail its check\n";
        return kFailed;
    }
    return kOk;
}

}  // namespace

int RunUpdateInfo(const Arguments& arguments, Streams& streams)
{
    if (!arguments.empty() && arguments[0] == "line")
        return Line(arguments, streams);
    if (!arguments.empty() && arguments[0] == "check")
        return Check(arguments, streams);
    return UsageError(streams, kName, "expected 'line' or 'check'");
}

}  // namespace KilnCli
