// kiln publish OLD NEW OUTDIR: the patch, the update information and its signature, ready to
// upload, checked as the launcher will read them. Nothing in OUTDIR changes unless all is well.
#include <filesystem>
#include <ostream>

#include "kiln/base/ini_keys.h"
#include "kiln/base/profile.h"
#include "kiln/base/text.h"
#include "kiln/cli/check_parts.h"
#include "kiln/cli/cli_support.h"
#include "kiln/cli/command_groups.h"
#include "kiln/cli/patch_making.h"
#include "kiln/cli/sign_support.h"
#include "kiln/cli/update_chain.h"
#include "kiln/crypt/signature.h"
#include "kiln/patch/builder.h"
#include "launcher/net/md5.h"
#include "launcher/patch/information_stamp.h"
#include "launcher/patch/patch_rules.h"
#include "launcher/patch/update_info.h"

namespace fs = std::filesystem;

namespace KilnCli {
namespace {

constexpr char kName[] = "publish";
namespace Keys = Kiln::Keys;
namespace Signature = Kiln::Signature;

struct Options {
    std::vector<std::string> positional;
    std::string secret;
    std::string stub;
    int level = 19;
    std::optional<int64_t> expiresDays;
};

std::optional<Options> ParseOptions(const Arguments& arguments, Streams& streams)
{
    Options options;
    for (size_t i = 0; i < arguments.size(); ++i) {
        std::string value;
        OptionMatch match = OptionMatch::kOther;
        const char* taken = nullptr;
        for (const char* name : {"--secret", "--stub", "--level", "--expires"}) {
            match = MatchOption(arguments, i, name, value);
            if (match != OptionMatch::kOther) {
                taken = name;
                break;
            }
        }
        if (match == OptionMatch::kNoValue) {
            UsageError(streams, kName, "'" + arguments[i] + "' needs a value");
            return std::nullopt;
        }
        const std::string name = taken ? taken : "";
        const auto number = ReadDecimal(value);
        if (name == "--secret") {
            options.secret = value;
        } else if (name == "--stub") {
            options.stub = value;
        } else if (name == "--level") {
            if (!number || *number < 1 || *number > 19) {
                UsageError(streams, kName, "--level takes 1 to 19");
                return std::nullopt;
            }
            options.level = static_cast<int>(*number);
        } else if (name == "--expires") {
            if (!number || *number < 1 || *number > 36500) {
                UsageError(streams, kName, "--expires takes a number of days from 1 to 36500");
                return std::nullopt;
            }
            options.expiresDays = static_cast<int64_t>(*number);
        } else if (arguments[i].rfind("--", 0) == 0) {
            UsageError(streams, kName, "unknown option '" + arguments[i] + "'");
            return std::nullopt;
        } else {
            options.positional.push_back(arguments[i]);
        }
    }
    if (options.positional.size() != 3) {
        UsageError(streams, kName, "takes OLD NEW OUTDIR");
        return std::nullopt;
    }
    return options;
}

// [Updater] of NEW's System.ini: where the launcher looks and what it trusts.
struct Updater {
    std::string infoFile;
    std::string prefix;
    std::vector<std::string> baseURLs;
    std::string publicKey;
};

std::optional<Updater> ReadUpdater(const std::string& folder, Streams& streams)
{
    const auto text = ReadFileBytes(FolderPath(folder, "System.ini"), 16u << 20);
    if (!text) {
        Failure(streams, kName, "cannot read " + folder + "'s System.ini");
        return std::nullopt;
    }
    const std::vector<IniSection> sections = ScanIni(*text);
    auto value = [&](const Kiln::ProfileKey& key) {
        const IniEntry* entry = FindEntry(sections, key.section, key.name);
        return entry ? entry->value : std::string();
    };
    Updater updater;
    updater.infoFile = value(Keys::kUpdateInfoFile);
    updater.prefix = value(Keys::kPatchFilePrefix);
    updater.publicKey = value(Keys::kUpdatePublicKey);
    updater.baseURLs = Kiln::Profile::ReadNumberedList([&](int number) {
        const IniEntry* entry =
            FindEntry(sections, Keys::kBaseURL.section, Kiln::FormatTemplate(Keys::kBaseURL.nameTemplate, number).c_str());
        return entry ? entry->value : std::string("end");
    });
    const std::string missing = updater.infoFile.empty()  ? "UpdateInfoFile"
                                : updater.prefix.empty()  ? "PatchFilePrefix"
                                : updater.baseURLs.empty() ? "BaseURL1"
                                                           : "";
    if (!missing.empty()) {
        Failure(streams, kName, folder + "'s System.ini has no [Updater] " + missing + ": players' launchers could not find this update");
        return std::nullopt;
    }
    if (!Launcher::Patch::IsPlainFileName(updater.infoFile)) {
        Failure(streams, kName, "[Updater] UpdateInfoFile=" + Quote(updater.infoFile) + " is not a plain file name");
        return std::nullopt;
    }
    return updater;
}

// `kiln check NEW`: errors stop the publishing, warnings are shown.
bool CheckNewFolder(const std::string& folder, Streams& streams)
{
    bool errors = false;
    for (const Finding& finding : CheckGameFolder(folder)) {
        if (finding.level == FindingLevel::kNote)
            continue;
        errors = errors || finding.level == FindingLevel::kError;
        streams.err << "kiln publish: " << folder << ": " << LevelName(finding.level) << ": " << finding.where << ": "
                    << finding.what << "\n";
    }
    if (errors)
        Failure(streams, kName, folder + " has errors (above; kiln check lists them): fix them before players get them");
    return !errors;
}

// The secret that signs, when NEW's System.ini names a key: it must be given and be that key's.
bool ReadSigningSecret(const Options& options, const Updater& updater, std::optional<Signature::Seed>& seed,
                       Streams& streams)
{
    const Launcher::Patch::UpdateKey key = Launcher::Patch::ReadUpdateKey(updater.publicKey);
    if (options.secret.empty()) {
        if (key.kind == Launcher::Patch::UpdateKey::Kind::None) {
            streams.err << "kiln publish: warning: unsigned (no [Updater] UpdatePublicKey): whoever can change what "
                           "players download can make them run their own program (see kiln keygen)\n";
            return true;
        }
        Failure(streams, kName, "the new System.ini has UpdatePublicKey, so launchers take only signed information: "
                                "give its secret file with --secret SECRETFILE");
        return false;
    }
    seed = ReadSecretFile(options.secret, streams, kName);
    if (!seed)
        return false;
    const Signature::PublicKey own = Signature::PublicKeyOf(*seed);
    if (key.kind == Launcher::Patch::UpdateKey::Kind::Valid && own != key.key) {
        Failure(streams, kName, "'" + options.secret + "' is not the secret of the new System.ini's UpdatePublicKey " +
                                    updater.publicKey + " (it signs for " + Signature::WriteText(own) +
                                    "): launchers would refuse what it signs");
        return false;
    }
    if (key.kind == Launcher::Patch::UpdateKey::Kind::None)
        streams.err << "kiln publish: warning: signed, but the new System.ini has no UpdatePublicKey, so its "
                       "launchers do not check the signature\n";
    return true;
}

std::string Md5OfFile(const fs::path& path, bool& readable)
{
    clx::md5 digest;
    readable = ReadFilePieces(path.u8string(), [&digest](const char* data, size_t size) { digest.update(data, size); });
    return digest.hex();
}

// The information with the entry for the new version, checked whole. `md5` is the new
// patch's, or nothing before it is built (its entry is then not compared with a file).
std::optional<std::string> PlanInformation(const std::optional<std::string>& existing, const fs::path& outFolder,
                                           const Updater& updater, const std::string& from, const std::string& to,
                                           const std::string& entryLine, const std::optional<std::string>& md5,
                                           Streams& streams)
{
    const std::string shownName = (outFolder / fs::u8path(updater.infoFile)).u8string();
    std::string error;
    auto placed = PlaceEntry(existing ? std::optional<std::string_view>(*existing) : std::nullopt, shownName, from, to,
                             entryLine, error);
    if (!placed) {
        Failure(streams, kName, error);
        return std::nullopt;
    }
    const auto present = [&](const std::string& version) -> std::optional<PresentPatch> {
        const std::string name = Launcher::Patch::PatchFileName(updater.prefix, version);
        if (version == to)
            return md5 ? std::optional<PresentPatch>({name, *md5}) : std::nullopt;
        std::error_code code;
        const fs::path path = outFolder / fs::u8path(name);
        if (!fs::is_regular_file(path, code))
            return std::nullopt;
        bool readable = false;
        const std::string digest = Md5OfFile(path, readable);
        return PresentPatch{name, readable ? digest : "nothing (unreadable)"};
    };
    if (const auto problem = ChainProblem(*placed, shownName, present)) {
        Failure(streams, kName, *problem);
        return std::nullopt;
    }
    return placed;
}

// The launcher's reading of what is about to be uploaded; why it would not take the patch.
std::optional<std::string> LauncherVerdict(const Updater& updater, const std::string& information,
                                           const std::optional<std::string>& signatureText, const PatchProgram& program,
                                           int64_t now)
{
    if (information.size() > Launcher::Patch::kMaxInformationBytes)
        return std::string("the update information is larger than launchers read (1 MiB)");
    const Launcher::Patch::UpdateKey key = Launcher::Patch::ReadUpdateKey(updater.publicKey);
    if (key.kind == Launcher::Patch::UpdateKey::Kind::Valid) {
        if (!signatureText ||
            !Launcher::Patch::InformationVerifies(key.key, true, 200, *signatureText, information))
            return std::string("its signature does not verify under UpdatePublicKey");
        const auto freshness = Launcher::Patch::JudgeStamp(Launcher::Patch::ReadStamp(information), 0, now);
        if (freshness != Launcher::Patch::Freshness::Current)
            return std::string("its serial or expiry is refused");
    }
    const Launcher::NextPatch next =
        Launcher::FindNextPatch(Launcher::ParseUpdateInfo(information), program.fromVersion);
    if (next.kind != Launcher::NextPatch::Kind::Patch || next.entry.version != program.toVersion)
        return "a launcher at " + program.fromVersion + " would not be offered " + program.toVersion;
    if (!Launcher::Patch::DigestMatches(program.md5, next.entry.digest) ||
        (next.entry.launcherUpdate != 0) != program.launcherUpdate)
        return "the entry for " + program.toVersion + " does not describe the patch";
    return std::nullopt;
}

// Each file lands whole or not at all: written beside its name, then moved over it.
bool WriteAll(const fs::path& folder, const std::vector<std::pair<std::string, std::string_view>>& files,
              std::string& failed)
{
    std::error_code code;
    fs::create_directories(folder, code);
    for (const auto& [name, bytes] : files) {
        if (!WriteFileBytes((folder / fs::u8path(name + ".kiln-new")).u8string(), bytes)) {
            failed = name;
            return false;
        }
    }
    for (const auto& [name, bytes] : files) {
        fs::rename(folder / fs::u8path(name + ".kiln-new"), folder / fs::u8path(name), code);
        if (code) {
            failed = name;
            return false;
        }
    }
    return true;
}

}  // namespace

int RunPublish(const Arguments& arguments, Streams& streams)
{
    const auto options = ParseOptions(arguments, streams);
    if (!options)
        return kBadUsage;
    const std::string& oldFolder = options->positional[0];
    const std::string& newFolder = options->positional[1];
    const std::string& outText = options->positional[2];
    const fs::path outFolder = fs::u8path(outText);

    if (!CheckNewFolder(newFolder, streams))
        return kFailed;
    const auto updater = ReadUpdater(newFolder, streams);
    if (!updater)
        return kFailed;
    std::optional<Signature::Seed> seed;
    if (!ReadSigningSecret(*options, *updater, seed, streams))
        return kFailed;
    const auto from = Kiln::Patch::FolderVersion(fs::u8path(oldFolder));
    const auto to = Kiln::Patch::FolderVersion(fs::u8path(newFolder));
    if (!from || from->empty() || !to || to->empty())
        return Failure(streams, kName, "the " + std::string(!from || from->empty() ? "old" : "new") +
                                           " folder's System.ini has no [Game] Version");
    if (!Launcher::Patch::IsPlainVersion(*to))
        return Failure(streams, kName, "the new version " + Quote(*to) +
                                           " cannot name a patch file (letters, digits and ._-+() only, at most 64)");
    const std::string patchName = Launcher::Patch::PatchFileName(updater->prefix, *to);
    const fs::path infoPath = outFolder / fs::u8path(updater->infoFile);

    std::optional<std::string> existing;
    std::error_code code;
    if (fs::exists(infoPath, code)) {
        existing = ReadFileBytes(infoPath.u8string(), Launcher::Patch::kMaxInformationBytes);
        if (!existing)
            return Failure(streams, kName, "cannot read '" + infoPath.u8string() + "' (or it is over 1 MiB)");
    }
    // Refusals that need no patch come before the build, which can take long.
    const std::string draftLine = Launcher::FormatUpdateEntry(*to, std::string(32, '0'), 0, patchName);
    if (!PlanInformation(existing, outFolder, *updater, *from, *to, draftLine, std::nullopt, streams))
        return kFailed;

    const auto program = MakePatchProgram({oldFolder, newFolder, options->stub, options->level}, streams, kName);
    if (!program)
        return kFailed;
    const std::string entryLine =
        Launcher::FormatUpdateEntry(program->toVersion, program->md5, program->launcherUpdate ? 1 : 0, patchName);
    auto information =
        PlanInformation(existing, outFolder, *updater, *from, *to, entryLine, program->md5, streams);
    if (!information)
        return kFailed;
    const int64_t now = UtcNow();
    std::optional<std::string> signatureText;
    uint64_t serial = 0;
    if (seed) {
        StampedInformation stamped = StampInformation(*information, std::nullopt, options->expiresDays, now);
        serial = stamped.stamp.serial;
        information = std::move(stamped.text);
        signatureText = SignatureFileText(*seed, *information);
    }
    if (const auto verdict = LauncherVerdict(*updater, *information, signatureText, *program, now))
        return Failure(streams, kName, "launchers would not take this: " + *verdict);

    const std::string signatureName = updater->infoFile + Signature::kFileSuffix;
    std::vector<std::pair<std::string, std::string_view>> files = {
        {patchName, std::string_view(reinterpret_cast<const char*>(program->bytes.data()), program->bytes.size())},
        {updater->infoFile, *information}};
    if (signatureText)
        files.emplace_back(signatureName, *signatureText);
    std::string failed;
    if (!WriteAll(outFolder, files, failed))
        return Failure(streams, kName, "cannot write '" + (outFolder / fs::u8path(failed)).u8string() + "'");
    if (!signatureText && fs::remove(outFolder / fs::u8path(signatureName), code))
        streams.err << "kiln publish: removed " << signatureName << ": it signed the information this run replaced\n";

    streams.err << "kiln publish: " << program->fromVersion << " -> " << program->toVersion << ", " << program->files
                << " files, " << program->bytes.size() << " bytes"
                << (seed ? ", signed with serial " + std::to_string(serial) : std::string(", unsigned")) << "\n";
    streams.out << "upload from " << outText << " to every server, in binary mode, the patch first:\n";
    for (const auto& file : files)
        streams.out << "  " << file.first << "\n";
    streams.out << "servers:\n";
    for (const std::string& url : updater->baseURLs)
        streams.out << "  " << url << "\n";
    return kOk;
}

}  // namespace KilnCli
