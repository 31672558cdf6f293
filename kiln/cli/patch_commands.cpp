#include <chrono>
#include <fstream>
#include <memory>
#include <ostream>

#include "kiln/cli/cli_support.h"
#include "kiln/cli/command_groups.h"
#include "kiln/cli/tool_location.h"
#include "kiln/patch/apply.h"
#include "kiln/patch/builder.h"
#include "kiln/patch/file_bytes.h"
#include "kiln/patch/payload.h"
#include "launcher/net/md5.h"
#include "launcher/patch/update_info.h"

namespace fs = std::filesystem;

namespace KilnCli {
namespace {

using namespace Kiln::Patch;

constexpr char kName[] = "patch";
// The patch program's own code, built beside the tool.
constexpr char kStubName[] = "kiln-patch-stub.exe";

struct Options {
    std::vector<std::string> positional;
    std::string stub;
    int level = 19;
};

std::optional<Options> ParseOptions(const Arguments& arguments, Streams& streams, int& code)
{
    Options options;
    for (size_t i = 1; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (a == "--stub" || a == "--level") {
            if (i + 1 >= arguments.size()) {
                code = UsageError(streams, kName, "'" + a + "' needs a value");
                return std::nullopt;
            }
            const std::string& value = arguments[++i];
            if (a == "--stub") {
                options.stub = value;
            } else {
                if (value.empty() || value.size() > 2 || value.find_first_not_of("0123456789") != std::string::npos ||
                    std::stoi(value) < 1 || std::stoi(value) > 19) {
                    code = UsageError(streams, kName, "--level takes 1 to 19");
                    return std::nullopt;
                }
                options.level = std::stoi(value);
            }
        } else {
            options.positional.push_back(a);
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

// A line on the error stream every few seconds while a large file is encoded.
BuildProgress ProgressLines(Streams& streams)
{
    using Clock = std::chrono::steady_clock;
    auto last = std::make_shared<Clock::time_point>(Clock::now());
    return [&streams, last](const std::string& name, uint64_t done, uint64_t total) {
        const auto now = Clock::now();
        if (now - *last < std::chrono::seconds(2) && done < total)
            return;
        *last = now;
        streams.err << "kiln patch: " << name << ": " << (done >> 20) << " of " << (total >> 20) << " MiB\n";
        streams.err.flush();
    };
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
    const fs::path stubPath = options->stub.empty() ? ToolFolder() / kStubName : fs::u8path(options->stub);
    const auto stub = ReadWholeFile(stubPath);
    if (!stub)
        return Failure(streams, kName, "cannot read the patch program's code '" + stubPath.u8string() + "'");
    std::string error;
    const auto payload = BuildPayload(fs::u8path(options->positional[0]), fs::u8path(options->positional[1]),
                                      &error, options->level, ProgressLines(streams));
    if (!payload)
        return Failure(streams, kName, error);
    const Bytes program = AppendPayload(*stub, WritePayload(*payload));
    if (!WriteFileBytes(out, std::string_view(reinterpret_cast<const char*>(program.data()), program.size())))
        return Failure(streams, kName, "cannot write '" + out + "'");
    size_t files = 0;
    for (const Entry& entry : payload->entries)
        files += entry.kind == EntryKind::kAddFolder || entry.kind == EntryKind::kRemoveFolder ? 0 : 1;
    clx::md5 digest;
    digest.update(reinterpret_cast<const char*>(program.data()), program.size());
    streams.err << "kiln patch: " << payload->fromVersion << " -> " << payload->toVersion << ", " << files
                << " files, " << program.size() << " bytes\n";
    streams.out << Launcher::FormatUpdateEntry(payload->toVersion, digest.hex(), payload->launcherUpdate ? 1 : 0,
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

// patch check OUT.exe GAMEDIR
int Check(const Arguments& arguments, Streams& streams)
{
    if (arguments.size() != 3)
        return UsageError(streams, kName, "check takes OUT.exe GAMEDIR");
    const auto payload = LoadPatch(arguments[1], streams);
    if (!payload)
        return kFailed;
    DiskFileSystem files(fs::u8path(arguments[2]));
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
