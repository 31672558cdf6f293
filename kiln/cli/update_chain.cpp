#include "kiln/cli/update_chain.h"

#include <vector>

#include "launcher/patch/patch_rules.h"
#include "launcher/patch/update_info.h"

namespace KilnCli {
namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::string_view WithoutLeadingZeros(std::string_view digits)
{
    const size_t first = digits.find_first_not_of('0');
    return first == std::string_view::npos ? std::string_view() : digits.substr(first);
}

// An entry line as the launcher reads it: every CR dropped, at least four comma-separated fields.
struct EntryLine {
    std::string version;
    std::string digest;
    int number = 0;     // 1-based line number
    size_t start = 0;   // where the line begins in the text
    size_t end = 0;     // before its LF (a CR, if any, included)
};

struct Scanned {
    std::vector<EntryLine> entries;
    size_t entriesEnd = 0;  // where the first empty line begins, or the text's end
    bool crlf = false;
};

Scanned Scan(std::string_view text)
{
    Scanned scanned;
    scanned.entriesEnd = text.size();
    int number = 0;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        ++number;
        std::string line;
        for (const char c : text.substr(start, end - start)) {
            if (c != '\r')
                line += c;
        }
        if (line.empty()) {
            scanned.entriesEnd = start;
            break;
        }
        scanned.crlf = scanned.crlf || (end > start && text[end - 1] == '\r');
        std::vector<std::string> fields(1);
        for (const char c : line) {
            if (c == ',')
                fields.emplace_back();
            else
                fields.back() += c;
        }
        if (fields.size() >= 4)
            scanned.entries.push_back({fields[0], fields[1], number, start, end});
        start = end + 1;
    }
    return scanned;
}

bool IsHexDigest(const std::string& digest)
{
    if (digest.size() != 32)
        return false;
    for (const char c : digest) {
        if (!IsDigit(c) && !((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')))
            return false;
    }
    return true;
}

std::optional<std::string> Duplicate(const std::vector<EntryLine>& entries, const std::string& fileName)
{
    for (size_t i = 0; i < entries.size(); ++i) {
        for (size_t k = 0; k < i; ++k) {
            if (entries[k].version == entries[i].version)
                return fileName + ":" + std::to_string(entries[i].number) + ": " + entries[i].version +
                       " is listed again (first on line " + std::to_string(entries[k].number) +
                       "); the launcher takes the first";
        }
    }
    return std::nullopt;
}

}  // namespace

int CompareVersions(std::string_view a, std::string_view b)
{
    size_t i = 0;
    size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            size_t ie = i;
            size_t je = j;
            while (ie < a.size() && IsDigit(a[ie]))
                ++ie;
            while (je < b.size() && IsDigit(b[je]))
                ++je;
            const std::string_view x = WithoutLeadingZeros(a.substr(i, ie - i));
            const std::string_view y = WithoutLeadingZeros(b.substr(j, je - j));
            if (x.size() != y.size())
                return x.size() < y.size() ? -1 : 1;
            if (const int order = x.compare(y); order != 0)
                return order < 0 ? -1 : 1;
            i = ie;
            j = je;
            continue;
        }
        if (a[i] != b[j])
            return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]) ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size())
        return 1;
    return j < b.size() ? -1 : 0;
}

std::optional<std::string> PlaceEntry(std::optional<std::string_view> information, const std::string& fileName,
                                      const std::string& previous, const std::string& version,
                                      const std::string& entryLine, std::string& error)
{
    if (!information) {
        return Launcher::FormatUpdateEntry(previous, "", 0, "") + "\r\n" + entryLine + "\r\n";
    }
    const std::string_view text = *information;
    const Scanned scanned = Scan(text);
    if (auto duplicate = Duplicate(scanned.entries, fileName)) {
        error = *duplicate;
        return std::nullopt;
    }
    const std::string lineEnd = scanned.crlf || scanned.entries.empty() ? "\r\n" : "\n";
    const auto& entries = scanned.entries;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].version != version)
            continue;
        if (i == 0 || entries[i - 1].version != previous) {
            error = fileName + ":" + std::to_string(entries[i].number) + ": " + version + " follows " +
                    (i == 0 ? std::string("nothing") : entries[i - 1].version) + ", but this patch leads from " +
                    previous;
            return std::nullopt;
        }
        const bool cr = entries[i].end > entries[i].start && text[entries[i].end - 1] == '\r';
        return std::string(text.substr(0, entries[i].start)) + entryLine + (cr ? "\r" : "") +
               std::string(text.substr(entries[i].end));
    }
    if (!entries.empty() && entries.back().version != previous) {
        error = fileName + ": the last version listed is " + entries.back().version + ", but this patch leads from " +
                previous;
        return std::nullopt;
    }
    std::string added;
    const size_t at = scanned.entriesEnd;
    if (at > 0 && text[at - 1] != '\n')
        added += lineEnd;
    if (entries.empty())
        added += Launcher::FormatUpdateEntry(previous, "", 0, "") + lineEnd;
    added += entryLine + lineEnd;
    return std::string(text.substr(0, at)) + added + std::string(text.substr(at));
}

std::optional<std::string> ChainProblem(std::string_view information, const std::string& fileName,
                                        const std::function<std::optional<PresentPatch>(const std::string&)>& present)
{
    const Scanned scanned = Scan(information);
    const auto& entries = scanned.entries;
    if (auto duplicate = Duplicate(entries, fileName))
        return duplicate;
    for (size_t i = 0; i < entries.size(); ++i) {
        const EntryLine& entry = entries[i];
        const std::string at = fileName + ":" + std::to_string(entry.number) + ": ";
        if (!Launcher::Patch::IsPlainVersion(entry.version))
            return at + "the version \"" + entry.version +
                   "\" cannot name a patch file (letters, digits and ._-+() only, at most 64)";
        if (i == 0)
            continue;
        if (CompareVersions(entries[i - 1].version, entry.version) >= 0)
            return at + entry.version + " comes after " + entries[i - 1].version +
                   "; entries go from the oldest version to the newest";
        if (!IsHexDigest(entry.digest))
            return at + "the MD5 of " + entry.version + " (\"" + entry.digest +
                   "\") is not 32 hexadecimal digits; every download of its patch would fail";
        const auto patch = present(entry.version);
        if (patch && !Launcher::Patch::DigestMatches(patch->md5, entry.digest))
            return at + "the MD5 of " + entry.version + " is " + entry.digest + ", but " + patch->name + " beside it has " +
                   patch->md5 + "; players would get \"file damaged\"";
    }
    return std::nullopt;
}

}  // namespace KilnCli
