#include <algorithm>

#include "kiln/cli/check_parts.h"
#include "kiln/cli/cli_support.h"
#include "kiln/cli/pe_image.h"
#include "kiln/file/byte_stream.h"
#include "kiln/image/decoder_choice.h"
#include "kiln/image/std_graphics_loader.h"
#include "launcher/window/window_rules.h"

namespace KilnCli {
namespace {

// Engines of several hundred megabytes exist; the headers and exports are all that is read.
constexpr uint64_t kMaxEngineBytes = 1u << 30;

constexpr char kNotLoadable[] = "; the launcher shows its \"could not be loaded\" error instead of starting the game";
constexpr char kNoEntry[] = "; the launcher shows its \"no entry\" error instead of starting the game";

void CheckEngine(const std::string& folder, const char* name, bool required, Findings& findings)
{
    ReadError error = ReadError::kNone;
    const auto bytes = ReadFileBytes(FolderPath(folder, name), kMaxEngineBytes, &error);
    if (!bytes) {
        if (error != ReadError::kCannotRead)
            findings.Add(FindingLevel::kError, name, std::string("cannot be checked: ") + Describe(error));
        else if (required)
            findings.Add(FindingLevel::kError, name, "is missing; the launcher starts nothing when the player starts the game");
        return;
    }
    PeError peError = PeError::kNone;
    const auto image = ReadPeImage(*bytes, &peError);
    if (!image) {
        findings.Add(FindingLevel::kError, name, std::string("is not a usable Windows library (") + Describe(peError) + ")" +
                                                    kNotLoadable);
        return;
    }
    if (image->machine != kMachineI386 || image->isPe32Plus) {
        const std::string built = image->machine == kMachineAmd64 ? "for 64-bit Windows (x86-64)" : "for another processor";
        findings.Add(FindingLevel::kError, name, "is built " + built + ", but the launcher is a 32-bit program" + kNotLoadable);
        return;
    }
    if (!image->isDll) {
        findings.Add(FindingLevel::kError, name, std::string("is a program, not a library (DLL)") + kNotLoadable);
        return;
    }
    const auto& exports = image->exportNames;
    if (std::find(exports.begin(), exports.end(), "RunEngine") != exports.end())
        return;
    const auto decorated = std::find_if(exports.begin(), exports.end(), [](const std::string& exported) {
        return exported.find("RunEngine") != std::string::npos;
    });
    if (decorated != exports.end())
        findings.Add(FindingLevel::kError, name,
                     "exports " + Quote(*decorated) + " but not \"RunEngine\" (link with --kill-at or a .def file)" +
                         kNoEntry);
    else
        findings.Add(FindingLevel::kError, name, std::string("does not export \"RunEngine\"") + kNoEntry);
}

struct PictureRule {
    const Kiln::ProfileKey& key;
    int width;
    int height;
};

void CheckPicture(const std::string& folder, const std::vector<IniSection>& sections, const PictureRule& rule,
                  Findings& findings)
{
    const IniEntry* entry = FindEntry(sections, rule.key.section, rule.key.name);
    if (!entry || entry->value.empty())
        return;
    const std::string where = At("System.ini", entry->line);
    const std::string what = "[" + std::string(rule.key.section) + "] " + rule.key.name + " " + Quote(entry->value);
    const char* blank = "; the launcher leaves the area blank";

    ReadError error = ReadError::kNone;
    auto bytes = ReadStreamBytes(FolderPath(folder, entry->value), &error);
    if (!bytes) {
        findings.Add(FindingLevel::kWarning, where,
                     what + (error == ReadError::kCannotRead ? std::string(" is missing") : std::string(": ") + Describe(error)) +
                         blank);
        return;
    }
    // Decoded the way the launcher decodes it: the name's extension picks the decoder.
    const Kiln::ImageDecoder kind = Kiln::DecoderForName(entry->value);
    auto decoder = Kiln::KilnHandle<Kiln::IGraphicsPlugin>::Adopt(Kiln::CreateDecoder(kind));
    auto stream = Kiln::KilnHandle<Kiln::IDataStream>::Adopt(new Kiln::CByteStream(std::move(*bytes)));
    Kiln::CStdGraphicsLoader loader;
    if (!decoder || !loader.Load(stream.Get(), decoder.Get())) {
        findings.Add(FindingLevel::kWarning, where,
                     what + " is not a readable " + Kiln::DecoderName(kind) + " picture" + blank);
        return;
    }
    const int width = loader.GetWidth();
    const int height = loader.GetHeight();
    loader.Unload();
    if (width != rule.width || height != rule.height)
        findings.Add(FindingLevel::kWarning, where,
                     what + " is " + std::to_string(width) + "x" + std::to_string(height) + ", not " +
                         std::to_string(rule.width) + "x" + std::to_string(rule.height) + blank);
}

}  // namespace

void CheckEngines(const std::string& folder, Findings& findings)
{
    CheckEngine(folder, "Engine.dll", true, findings);
    CheckEngine(folder, "Engine_Debug.dll", false, findings);
    CheckEngine(folder, "Engine_Test.dll", false, findings);
}

void CheckPictures(const std::string& folder, const std::vector<IniSection>& sections, Findings& findings)
{
    using Launcher::kBannerArea;
    using Launcher::kTopPictureArea;
    CheckPicture(folder, sections, {Kiln::Keys::kTopImage, kTopPictureArea.width, kTopPictureArea.height}, findings);
    CheckPicture(folder, sections, {Kiln::Keys::kBannerImage, kBannerArea.width, kBannerArea.height}, findings);
}

}  // namespace KilnCli
