#include <chrono>
#include <fstream>
#include <memory>
#include <ostream>

#include "kiln/cli/cli_support.h"
#include "kiln/cli/command_groups.h"
#include "kiln/cli/patch_making.h"
#include "kiln/patch/apply.h"
#include "kiln/patch/file_bytes.h"
#include "kiln/patch/payload.h"
#include "launcher/patch/update_info.h"

namespace fs = std::filesystem;

namespace KilnCli {
namespace {

using namespace Kiln::Patch;

constexpr char kName[] = "patch";

struct Options {
    std::vector<std::string> positional;
    std::string stub;
    int level = 19;
};

std::optional<Options> ParseOptions(const Arguments& arguments, Streams& streams, int& code)
{
    Options options;
    for (size_t i = 1; i < arguments.size(); ++i) {
        std::string value;
        const OptionMatch stub = MatchOption(arguments, i, "--stub", value);
        const OptionMatch level = stub == OptionMatch::kOther ? MatchOption(arguments, i, "--level", value)
                                                              : OptionMatch::kOther;
        if (stub == OptionMatch::kNoValue || level == OptionMatch::kNoValue) {
            code = UsageError(streams, kName, "'" + arguments[i] + "' needs a value");
            return std::nullopt;
        }
        if (stub == OptionMatch::kTaken) {
            options.stub = value;
        } else if (level == OptionMatch::kTaken) {
            const auto number = ReadDecimal(value);
            if (!number || *number < 1 || *number > 19) {
                code = UsageError(streams, kName, "--level takes 1 to 19");
                return std::nullopt;
            }
            options.level = static_cast<int>(*number);
        } else {
            options.positional.push_back(arguments[i]);
        }
    }
    return options;
}

const char* KindWord(EntryKind kind)
{
    switch (kind) {
    case EntryKind::kAddFile:
        return "add";
    case EntryKind::kChangeFile:
        return "change";
    case EntryKind::kRemoveFile:
        return "remove";
    case EntryKind::kAddFolder:
        return "add-folder";
    case EntryKind::kRemoveFolder:
        return "remove-folder";
    }
    return "";
}

// The payload of a patch program, its contents left in the file; nothing (with the reason
// printed) when there is none.
std::optional<Payload> LoadPatch(const std::string& path, Streams& streams)
{
    std::shared_ptr<ByteSource> program = ReadableFile::Open(fs::u8path(path));
    if (!program) {
        Failure(streams, kName, "cannot read '" + path + "'");
        return std::nullopt;
    }
    uint8_t trailer[kTrailerSize];
    const uint64_t size = program->Size();
    if (size < kTrailerSize || !program->ReadAt(size - kTrailerSize, trailer, kTrailerSize) ||
        !ReadTrailer(trailer, size)) {
        Failure(streams, kName, "'" + path + "' is not a patch program");
        return std::nullopt;
    }
    std::string error;
    auto payload = ReadPatchProgram(program, &error);
    if (!payload)
        Failure(streams, kName, "'" + path + "' cannot be read as a patch: " + error);
    return payload;
}

// patch build OLD NEW OUT.exe
int Build(const Arguments& arguments, Streams& streams)
{
    int code = kOk;
    const auto options = ParseOptions(arguments, streams, code);
    if (!options)
        return code;
    if (options->positional.size() != 3)
        return UsageError(streams, kName, "build takes OLD NEW OUT.exe");
    const std::string& out = options->positional[2];
    const auto program =
        MakePatchProgram({options->positional[0], options->positional[1], options->stub, options->level}, streams, kName);
    if (!program)
        return kFailed;
    if (!WriteFileBytes(out, std::string_view(reinterpret_cast<const char*>(program->bytes.data()), program->bytes.size())))
        return Failure(streams, kName, "cannot write '" + out + "'");
    streams.err << "kiln patch: " << program->fromVersion << " -> " << program->toVersion << ", " << program->files
                << " files, " << program->bytes.size() << " bytes\n";
    streams.out << Launcher::FormatUpdateEntry(program->toVersion, program->md5, program->launcherUpdate ? 1 : 0,
                                               BaseName(out))
                << "\n";
    return kOk;
}

// patch info OUT.exe
int Info(const Arguments& arguments, Streams& streams)
{
    if (arguments.size() != 2)
        return UsageError(streams, kName, "info takes OUT.exe");
    const auto payload = LoadPatch(arguments[1], streams);
    if (!payload)
        return kFailed;
    streams.out << "from: " << payload->fromVersion << "\n"
                << "to: " << payload->toVersion << "\n"
                << "launcher update: " << (payload->launcherUpdate ? "yes" : "no") << "\n";
    for (const Entry& entry : payload->entries) {
        streams.out << KindWord(entry.kind) << " " << entry.name;
        if (entry.kind == EntryKind::kAddFile || entry.kind == EntryKind::kChangeFile)
            streams.out << " (" << entry.newSize << " bytes, "
                        << (entry.method == Method::kDelta ? "delta " : "whole ") << ContentsSize(entry)
                        << " bytes, sha256 " << ToHex(entry.newHash) << ")";
        streams.out << "\n";
    }
    return kOk;
}

// A folder that holds the new version already: the patch program leaves it so and exits with 0,
// and `check` and `apply` say so alike.
int AlreadyAt(const Payload& payload, Streams& streams)
{
    streams.out << "already at " << payload.toVersion << "\n";
    return kOk;
}

// patch check OUT.exe GAMEDIR
int Check(const Arguments& arguments, Streams& streams)
{
    if (arguments.size() != 3)
        return UsageError(streams, kName, "check takes OUT.exe GAMEDIR");
    const auto payload = LoadPatch(arguments[1], streams);
    if (!payload)
        return kFailed;
    DiskFileSystem files(fs::u8path(arguments[2]));
    if (IsAlreadyApplied(*payload, files))
        return AlreadyAt(*payload, streams);
    const ApplyResult result = CheckPayload(*payload, files);
    if (result.reason != Reason::kNone)
        return Failure(streams, kName, "would not apply: " + Describe(result));
    streams.out << "would apply: " << payload->fromVersion << " -> " << payload->toVersion << "\n";
    return kOk;
}

// patch apply OUT.exe GAMEDIR: what the patch program does, without its window.
int Apply(const Arguments& arguments, Streams& streams)
{
    if (arguments.size() != 3)
        return UsageError(streams, kName, "apply takes OUT.exe GAMEDIR");
    const auto payload = LoadPatch(arguments[1], streams);
    if (!payload)
        return kFailed;
    DiskFileSystem files(fs::u8path(arguments[2]));
    // Asked before a journal of an interrupted run is finished: that run has not raised the version yet.
    if (IsAlreadyApplied(*payload, files))
        return AlreadyAt(*payload, streams);
    const ApplyResult result = ApplyPayload(*payload, files);
    if (result.outcome != Outcome::kApplied) {
        streams.err << "kiln patch: " << Describe(result) << "\n";
        return result.outcome == Outcome::kRefused ? 2 : kFailed;
    }
    streams.out << "applied: " << payload->toVersion << "\n";
    return kOk;
}

}  // namespace

int RunPatch(const Arguments& arguments, Streams& streams)
{
    if (!arguments.empty() && arguments[0] == "build")
        return Build(arguments, streams);
    if (!arguments.empty() && arguments[0] == "info")
        return Info(arguments, streams);
    if (!arguments.empty() && arguments[0] == "check")
        return Check(arguments, streams);
    if (!arguments.empty() && arguments[0] == "apply")
        return Apply(arguments, streams);
    return UsageError(streams, kName, "expected 'build', 'info', 'check' or 'apply'");
}

}  // namespace KilnCli
