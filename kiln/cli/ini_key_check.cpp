#include <optional>
#include <set>

#include "kiln/base/number_scan.h"
#include "kiln/base/profile.h"
#include "kiln/base/text.h"
#include "kiln/cli/check_parts.h"
#include "kiln/crypt/signature.h"
#include "kiln/input/input_code.h"
#include "launcher/patch/patch_rules.h"
#include "launcher/settings/general_settings.h"
#include "launcher/settings/key_assignment.h"

namespace KilnCli {
namespace {

using Kiln::IniFile;
using Kiln::KeyForm;
using Kiln::KeyTableEntry;
using Kiln::ValueKind;

bool SameName(std::string_view a, std::string_view b)
{
    return Kiln::AsciiLower(a) == Kiln::AsciiLower(b);
}

// The prefix of a numbered key's template: "BaseURL" of "BaseURL%1%".
std::string NumberedPrefix(const KeyTableEntry& entry)
{
    const std::string name = entry.name;
    return name.substr(0, name.find("%1%"));
}

// The number of a numbered key ("BaseURL12" gives 12), or nothing when the name is not one.
// Leading zeros make another name ("BaseURL01" is never read).
std::optional<int> ListNumber(const KeyTableEntry& entry, const std::string& key)
{
    const std::string prefix = NumberedPrefix(entry);
    if (key.size() <= prefix.size() || !SameName(key.substr(0, prefix.size()), prefix))
        return std::nullopt;
    const std::string digits = key.substr(prefix.size());
    if (digits.find_first_not_of("0123456789") != std::string::npos || digits.size() > 9)
        return std::nullopt;
    if (digits.front() == '0')
        return 0;
    return std::stoi(digits);
}

std::vector<const KeyTableEntry*> EntriesOfSection(IniFile file, const std::string& section)
{
    std::vector<const KeyTableEntry*> entries;
    for (const KeyTableEntry& entry : Kiln::KeyTable()) {
        if (entry.file == file && SameName(entry.section, section))
            entries.push_back(&entry);
    }
    return entries;
}

// A known name close enough to be what the maker meant: one edit for short names, two for
// longer ones.
std::optional<std::string> CloseName(const std::string& name, const std::vector<std::string>& known)
{
    for (const std::string& candidate : known) {
        const size_t allowed = candidate.size() <= 4 ? 1 : 2;
        const size_t distance = EditDistance(name, candidate);
        if (distance >= 1 && distance <= allowed)
            return candidate;
    }
    return std::nullopt;
}

std::vector<std::string> KnownNames(const std::vector<const KeyTableEntry*>& entries, const std::string& key)
{
    std::vector<std::string> names;
    for (const KeyTableEntry* entry : entries) {
        switch (entry->form) {
        case KeyForm::Single:
            names.push_back(entry->name);
            break;
        case KeyForm::Buttons:
            names.insert(names.end(), Kiln::Keys::kButtonKeyNames.begin(), Kiln::Keys::kButtonKeyNames.end());
            break;
        case KeyForm::Numbered: {
            // Compare "BaseURI2" with "BaseURL2": the key's own trailing number, else 1.
            const size_t digits = key.find_last_not_of("0123456789") + 1;
            const std::string number = digits < key.size() ? key.substr(digits) : "1";
            names.push_back(NumberedPrefix(*entry) + number);
            break;
        }
        }
    }
    return names;
}

const KeyTableEntry* MatchKey(const std::vector<const KeyTableEntry*>& entries, const std::string& key)
{
    for (const KeyTableEntry* entry : entries) {
        if (entry->form == KeyForm::Single && SameName(entry->name, key))
            return entry;
        if (entry->form == KeyForm::Numbered && ListNumber(*entry, key))
            return entry;
        if (entry->form == KeyForm::Buttons) {
            for (const char* button : Kiln::Keys::kButtonKeyNames) {
                if (SameName(button, key))
                    return entry;
            }
        }
    }
    return nullptr;
}

bool IsOneOf(const std::string& value, std::initializer_list<const char*> choices)
{
    for (const char* choice : choices) {
        if (value == choice)
            return true;
    }
    return false;
}

void CheckSwitch(const std::string& where, const std::string& name, const std::string& value, Findings& findings)
{
    const std::string lower = Kiln::AsciiLower(value);
    if (lower.empty() || lower == "yes" || IsOneOf(lower, {"no", "off", "false", "0"}))
        return;
    const bool looksOn = IsOneOf(lower, {"true", "1", "on", "y", "enable", "enabled", "ok"});
    findings.Add(FindingLevel::kWarning, where,
                 name + "=" + Quote(value) + (looksOn ? " looks like on, but" : " is not \"yes\" or \"no\";") +
                     " the launcher switches on only for \"yes\" (any case), so this reads as off");
}

// What the launcher makes of the value, when it differs from what is written.
void CheckValue(const KeyTableEntry& entry, const std::string& where, const IniEntry& item, Findings& findings)
{
    const std::string& value = item.value;
    switch (entry.kind) {
    case ValueKind::Switch:
        CheckSwitch(where, item.key, value, findings);
        return;
    case ValueKind::PlayerCount:
        if (!IsOneOf(Kiln::AsciiLower(value), {"1", "2", "3", "4", ""}))
            findings.Add(FindingLevel::kWarning, where,
                         item.key + "=" + Quote(value) +
                             " is not 1 to 4; the launcher shows a single key configuration tab");
        return;
    case ValueKind::WideScreen:
        if (!IsOneOf(value, {"0", "1", "2", ""}))
            findings.Add(FindingLevel::kWarning, where,
                         item.key + "=" + Quote(value) + " is not 0, 1 or 2; the game runs at 640x480");
        return;
    case ValueKind::KeyAssignment:
        if (!Kiln::ParseInputCode(value))
            findings.Add(FindingLevel::kWarning, where,
                         item.key + "=" + Quote(value) +
                             " is not an assignment \"<device>,0x<code>\"; the launcher uses the built-in one");
        return;
    case ValueKind::VRAMCacheSize:
    case ValueKind::FileCacheSize:
    case ValueKind::ScreenSize: {
        if (value.empty())
            return;
        const int read = entry.kind == ValueKind::VRAMCacheSize   ? Launcher::ParseMaxVRAMCacheSize(value)
                         : entry.kind == ValueKind::FileCacheSize ? Launcher::ParseMaxFileCacheSize(value)
                                                                  : Launcher::ParseScreenSize(value);
        if (std::to_string(read) != value)
            findings.Add(FindingLevel::kWarning, where,
                         item.key + "=" + Quote(value) + " is not one of the graphics page's values; it shows and saves " +
                             std::to_string(read));
        return;
    }
    case ValueKind::Address:
        if (entry.form == KeyForm::Numbered && std::string(entry.section) == Kiln::Keys::kBaseURL.section) {
            const std::string lower = Kiln::AsciiLower(value);
            if (!value.empty() && lower != "end" && lower.rfind("http://", 0) != 0 && lower.rfind("https://", 0) != 0)
                findings.Add(FindingLevel::kWarning, where,
                             item.key + "=" + Quote(value) +
                                 " is not an http:// or https:// address; the patch check fails on this server");
        }
        return;
    case ValueKind::Credentials: {
        if (value.empty())
            return;
        if (value.find('&') != std::string::npos) {
            findings.Add(FindingLevel::kNote, where,
                         item.key + " holds plain text; the launcher seals it in place when it first reads it");
        } else if (value.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/=") !=
                   std::string::npos) {
            findings.Add(FindingLevel::kWarning, where,
                         item.key + " is neither \"key&secret\" nor sealed text; the launcher finds no credentials in it");
        }
        return;
    }
    case ValueKind::PublicKey:
        if (!value.empty() && !Kiln::Signature::ReadPublicKey(value))
            findings.Add(FindingLevel::kError, where,
                         item.key + " is not one line of Base64 of a 32-byte key; the patcher refuses to run");
        return;
    case ValueKind::Text:
    case ValueKind::PicturePath:
    case ValueKind::FileName:
        return;
    }
}

// Why the launcher cannot name patches with this PatchFilePrefix; nothing when it can.
std::optional<std::string> PrefixProblem(const std::string& prefix)
{
    constexpr char kSample[] = "1.01";
    size_t placeholders = 0;
    for (size_t at = prefix.find("%1%"); at != std::string::npos; at = prefix.find("%1%", at + 3))
        ++placeholders;
    std::string fetched;
    try {
        fetched = Launcher::Patch::PatchFileName(prefix, kSample);
    } catch (const std::exception&) {
        fetched.clear();
    }
    const std::string wouldFetch = fetched.empty() ? std::string(" (the launcher cannot fill it in)")
                                                   : " (for version 1.01 the launcher would fetch " + Quote(fetched) + ")";
    if (placeholders != 1)
        return "must hold %1% exactly once, where the version goes" + wouldFetch;
    std::string meant = prefix;
    meant.replace(prefix.find("%1%"), 3, kSample);
    if (fetched != meant)
        return "holds another % sign besides %1%" + wouldFetch;
    if (!Launcher::Patch::IsPlainFileName(fetched))
        return "does not give a plain file name" + wouldFetch +
               ": no folders, no \\ / : * ? \" < > |, no trailing dot or space";
    return std::nullopt;
}

}  // namespace

const IniEntry* FindEntry(const std::vector<IniSection>& sections, const char* section, const char* key)
{
    for (const IniSection& candidate : sections) {
        if (!SameName(candidate.name, section))
            continue;
        for (const IniEntry& entry : candidate.entries) {
            if (SameName(entry.key, key))
                return &entry;
        }
    }
    return nullptr;
}

void CheckIniKeys(const std::string& fileName, IniFile file, const std::vector<IniSection>& sections,
                  Findings& findings)
{
    std::vector<std::string> knownSections;
    for (const KeyTableEntry& entry : Kiln::KeyTable()) {
        if (entry.file == file)
            knownSections.push_back(entry.section);
    }
    std::set<std::string> seen;  // "section\nkey", lower-cased
    for (const IniSection& section : sections) {
        const auto entries = EntriesOfSection(file, section.name);
        if (entries.empty()) {
            if (const auto close = CloseName(section.name, knownSections))
                findings.Add(FindingLevel::kWarning, At(fileName, section.line),
                             "[" + section.name + "] is not a section the launcher reads; did you mean [" + *close + "]?");
            else
                findings.Add(FindingLevel::kNote, At(fileName, section.line),
                             "[" + section.name + "] is not read by the launcher (the engine may read it)");
            continue;
        }
        for (const IniEntry& item : section.entries) {
            const std::string where = At(fileName, item.line);
            const KeyTableEntry* entry = MatchKey(entries, item.key);
            if (!entry) {
                if (const auto close = CloseName(item.key, KnownNames(entries, item.key)))
                    findings.Add(FindingLevel::kWarning, where,
                                 "[" + section.name + "] " + item.key + " is not a key the launcher reads; did you mean " +
                                     *close + "?");
                else
                    findings.Add(FindingLevel::kNote, where,
                                 "[" + section.name + "] " + item.key +
                                     " is not read by the launcher (the engine may read it)");
                continue;
            }
            if (!seen.insert(Kiln::AsciiLower(section.name + "\n" + item.key)).second) {
                findings.Add(FindingLevel::kWarning, where,
                             "[" + section.name + "] " + item.key + " appears again; the launcher reads only the first");
                continue;
            }
            if (entry->form == KeyForm::Numbered) {
                const int number = *ListNumber(*entry, item.key);
                if (number < 1 || number > Kiln::Profile::kMaxListEntries) {
                    findings.Add(FindingLevel::kWarning, where,
                                 "[" + section.name + "] " + item.key + " is never read: lists run from " +
                                     NumberedPrefix(*entry) + "1 to " + NumberedPrefix(*entry) + "256");
                    continue;
                }
            }
            CheckValue(*entry, where, item, findings);
        }
    }
}

void CheckSystemIniRules(const std::vector<IniSection>& sections, Findings& findings)
{
    namespace Keys = Kiln::Keys;
    auto value = [&](const Kiln::ProfileKey& key) {
        const IniEntry* entry = FindEntry(sections, key.section, key.name);
        return entry ? entry->value : std::string();
    };
    auto list = [&](const Kiln::NumberedProfileKey& key) {
        return Kiln::Profile::ReadNumberedList([&](int number) {
            const IniEntry* entry = FindEntry(sections, key.section, Kiln::FormatTemplate(key.nameTemplate, number).c_str());
            return entry ? entry->value : std::string("end");
        });
    };

    // A numbered list ends at its first empty, "end" or missing entry; later ones are lost.
    for (const Kiln::NumberedProfileKey* key : {&Keys::kArchive, &Keys::kInformationURL, &Keys::kBaseURL}) {
        const size_t read = list(*key).size();
        const std::string end = Kiln::FormatTemplate(key->nameTemplate, read + 1);
        for (int number = static_cast<int>(read) + 2; number <= Kiln::Profile::kMaxListEntries; ++number) {
            const std::string name = Kiln::FormatTemplate(key->nameTemplate, number);
            if (const IniEntry* entry = FindEntry(sections, key->section, name.c_str())) {
                findings.Add(FindingLevel::kWarning, At("System.ini", entry->line),
                             "[" + std::string(key->section) + "] " + name + " and what follows are never read: the list ends at " +
                                 end + " (missing, empty or \"end\")");
                break;
            }
        }
    }

    if (const IniEntry* prefix = FindEntry(sections, Keys::kPatchFilePrefix.section, Keys::kPatchFilePrefix.name);
        prefix && !prefix->value.empty()) {
        if (const auto problem = PrefixProblem(prefix->value))
            findings.Add(FindingLevel::kError, At("System.ini", prefix->line),
                         "[Updater] PatchFilePrefix=" + Quote(prefix->value) + " " + *problem);
    }
    if (Kiln::IsSwitchOn(value(Keys::kEnableAutoPatch))) {
        if (value(Keys::kPatchFilePrefix).empty())
            findings.Add(FindingLevel::kError, "System.ini",
                         "[Launcher] EnableAutoPatch is on but [Updater] PatchFilePrefix is empty; the launcher has no "
                         "name to fetch a patch by");
        if (value(Keys::kUpdateInfoFile).empty())
            findings.Add(FindingLevel::kError, "System.ini",
                         "[Launcher] EnableAutoPatch is on but [Updater] UpdateInfoFile is empty; the patch check cannot "
                         "find any patch");
        if (list(Keys::kBaseURL).empty())
            findings.Add(FindingLevel::kError, "System.ini",
                         "[Launcher] EnableAutoPatch is on but [Updater] has no BaseURL1; the patch check has no server "
                         "to ask");
        if (value(Keys::kUpdatePublicKey).empty())
            findings.Add(FindingLevel::kWarning, "System.ini",
                         "[Launcher] EnableAutoPatch is on but [Updater] has no UpdatePublicKey; updates are not "
                         "signed, so whoever can change what a player receives can make the launcher run their "
                         "program (kiln keygen makes a key)");
    }
    if (Kiln::IsSwitchOn(value(Keys::kEnableTwitter)) && value(Keys::kAPIAccessKey).empty())
        findings.Add(FindingLevel::kError, "System.ini",
                     "[Launcher] EnableTwitter is on but [Twitter] APIAccessKey is empty; the Twitter page says it "
                     "cannot link and its button stays disabled");

    bool anyAssignable = false;
    for (const char* button : Keys::kButtonKeyNames) {
        const IniEntry* entry = FindEntry(sections, Keys::kKeyConfigEnableSection, button);
        anyAssignable = anyAssignable || (entry && Kiln::IsSwitchOn(entry->value));
    }
    if (!anyAssignable)
        findings.Add(FindingLevel::kWarning, "System.ini",
                     "[KeyConfig] enables no button (each is on only with \"yes\"); the key configuration pages show "
                     "no box the player can assign");
}

}  // namespace KilnCli
