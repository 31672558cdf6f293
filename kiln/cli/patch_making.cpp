#include "kiln/cli/patch_making.h"

#include <chrono>
#include <ostream>

#include "kiln/cli/cli_support.h"
#include "kiln/cli/game_check.h"
#include "kiln/cli/tool_location.h"
#include "kiln/patch/builder.h"
#include "launcher/net/md5.h"

namespace fs = std::filesystem;

namespace KilnCli {

std::optional<PatchProgram> MakePatchProgram(const PatchMaking& making, Streams& streams, const char* command)
{
    bool refused = false;
    for (const Finding& finding : CheckSystemIni(making.newFolder)) {
        if (finding.level != FindingLevel::kError)
            continue;
        streams.err << "kiln " << command << ": " << making.newFolder << ": error: " << finding.where << ": "
                    << finding.what << "\n";
        refused = true;
    }
    if (refused) {
        Failure(streams, command, "the new folder's System.ini has errors (above): players would get them");
        return std::nullopt;
    }
    std::string error;
    const auto stub = ReadPatchStub(making.stub, error);
    if (!stub) {
        Failure(streams, command, error);
        return std::nullopt;
    }

    // Small builds say nothing while they run; long ones name the file they pack at most once a
    // second, and every large one, which takes long by itself; a file larger than a delta
    // window tells how far it has come every two seconds and at its end.
    using Clock = std::chrono::steady_clock;
    constexpr uint64_t kLargeFile = 32u << 20;
    auto lastShown = Clock::now();
    auto lastAmount = Clock::now();
    const auto progress = [&](const Kiln::Patch::BuildStep& step) {
        const auto now = Clock::now();
        if (step.bytesDone == 0) {
            if (now - lastShown < std::chrono::seconds(1) && step.bytes < kLargeFile)
                return;
            lastShown = now;
            lastAmount = now;
            streams.err << "kiln " << command << ": packing " << step.filesDone + 1 << "/" << step.files << ": "
                        << step.name << " (" << (step.bytes >> 20) << " MiB)\n";
        } else {
            if (now - lastAmount < std::chrono::seconds(2) && step.bytesDone < step.bytes)
                return;
            lastAmount = now;
            streams.err << "kiln " << command << ": " << step.name << ": " << (step.bytesDone >> 20) << " of "
                        << (step.bytes >> 20) << " MiB\n";
        }
        streams.err.flush();
    };
    Kiln::Patch::BuildReport report;
    const auto payload = Kiln::Patch::BuildPayload(fs::u8path(making.oldFolder), fs::u8path(making.newFolder), &error,
                                                   making.level, &report, progress);
    for (const Kiln::Patch::LeftOut& item : report.leftOut)
        streams.err << "kiln " << command << ": left out: " << item.name << " (" << item.why << ")\n";
    if (!payload) {
        Failure(streams, command, error);
        return std::nullopt;
    }
    PatchProgram program;
    program.bytes = Kiln::Patch::AppendPayload(*stub, Kiln::Patch::WritePayload(*payload));
    program.fromVersion = payload->fromVersion;
    program.toVersion = payload->toVersion;
    program.launcherUpdate = payload->launcherUpdate;
    for (const Kiln::Patch::Entry& entry : payload->entries) {
        const bool folder = entry.kind == Kiln::Patch::EntryKind::kAddFolder ||
                            entry.kind == Kiln::Patch::EntryKind::kRemoveFolder;
        program.files += folder ? 0 : 1;
    }
    clx::md5 digest;
    digest.update(reinterpret_cast<const char*>(program.bytes.data()), program.bytes.size());
    program.md5 = digest.hex();
    return program;
}

}  // namespace KilnCli
