#include "kiln/patch/leave_out.h"

#include "kiln/patch/file_bytes.h"
#include "kiln/patch/journal.h"
#include "kiln/patch/names.h"

namespace fs = std::filesystem;

namespace Kiln::Patch {
namespace {

constexpr char kGameIni[] = "Game.ini";
// A key is 44 characters; a line end may follow.
constexpr uint64_t kKeyFileMin = 44;
constexpr uint64_t kKeyFileMax = 46;

std::string_view Trim(std::string_view text)
{
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

bool EndsWith(const std::u16string& name, const std::u16string& end)
{
    return name.size() >= end.size() && name.compare(name.size() - end.size(), end.size(), end) == 0;
}

// '*' takes any run of characters and '?' one, neither across a '/'.
bool Matches(const std::u16string& pattern, const std::u16string& name)
{
    size_t p = 0;
    size_t n = 0;
    size_t starAt = std::u16string::npos;
    size_t resumeAt = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            starAt = p++;
            resumeAt = n;
        } else if (p < pattern.size() && (pattern[p] == name[n] || (pattern[p] == u'?' && name[n] != u'/'))) {
            ++p;
            ++n;
        } else if (starAt != std::u16string::npos && name[resumeAt] != u'/') {
            p = starAt + 1;
            n = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

}  // namespace

bool LooksLikeKeyFile(std::string_view bytes)
{
    if (!bytes.empty() && bytes.back() == '\n')
        bytes.remove_suffix(1);
    if (!bytes.empty() && bytes.back() == '\r')
        bytes.remove_suffix(1);
    if (bytes.size() != kKeyFileMin || bytes.back() != '=')
        return false;
    for (const char c : bytes.substr(0, bytes.size() - 1)) {
        const bool base64 = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
                            c == '/';
        if (!base64)
            return false;
    }
    return true;
}

std::optional<LeaveOut> LeaveOut::FromText(std::string_view ignoreText, std::string* error)
{
    LeaveOut rules;
    int line = 0;
    size_t start = 0;
    while (start < ignoreText.size()) {
        size_t end = ignoreText.find('\n', start);
        if (end == std::string_view::npos)
            end = ignoreText.size();
        ++line;
        std::string text(Trim(ignoreText.substr(start, end - start)));
        start = end + 1;
        if (line == 1 && text.rfind("\xEF\xBB\xBF", 0) == 0)
            text.erase(0, 3);  // the mark some editors put before UTF-8
        if (text.empty() || text.front() == '#')
            continue;
        const std::string where = std::string(kIgnoreFileName) + ":" + std::to_string(line) + ": ";
        if (text.front() == '!') {
            if (error)
                *error = where + "'!' cannot take a name back: list only what to leave out";
            return std::nullopt;
        }
        for (char& c : text) {
            if (c == '\\')
                c = '/';
        }
        Pattern pattern;
        pattern.line = line;
        if (text.back() == '/') {
            pattern.foldersOnly = true;
            text.pop_back();
        }
        if (!text.empty() && text.front() == '/') {
            pattern.anchored = true;
            text.erase(0, 1);
        }
        pattern.anchored = pattern.anchored || text.find('/') != std::string::npos;
        pattern.folded = FoldedName(text);
        if (pattern.folded.empty()) {
            if (error)
                *error = where + "is not a name in UTF-8";
            return std::nullopt;
        }
        rules.patterns_.push_back(std::move(pattern));
    }
    return rules;
}

std::optional<LeaveOut> LeaveOut::FromFolder(const fs::path& root, std::string* error)
{
    std::error_code code;
    const fs::path file = root / kIgnoreFileName;
    if (!fs::exists(file, code))
        return LeaveOut();
    const auto bytes = ReadWholeFile(file);
    if (!bytes) {
        if (error)
            *error = std::string("cannot read ") + kIgnoreFileName;
        return std::nullopt;
    }
    return FromText(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()), error);
}

std::optional<std::string> LeaveOut::Why(const std::string& name, bool folder, uint64_t size,
                                         const fs::path& file) const
{
    const std::u16string folded = FoldedName(name);
    const size_t slash = folded.rfind(u'/');
    const std::u16string last = slash == std::u16string::npos ? folded : folded.substr(slash + 1);
    const bool atRoot = slash == std::u16string::npos;
    if (atRoot && !folder && folded == FoldedName(kGameIni))
        return std::string("the player's settings: every player keeps their own");
    if (atRoot && !folder && folded == FoldedName(kIgnoreFileName))
        return std::string("the list of what to leave out");
    if ((atRoot && (folded == FoldedName(kJournalName) || folded == FoldedName(kProbeName))) ||
        EndsWith(folded, FoldedName(kStagedSuffix)) || EndsWith(folded, FoldedName(kOldSuffix)))
        return std::string("a working file of the patch program");
    if (!folder && size >= kKeyFileMin && size <= kKeyFileMax) {
        const auto bytes = ReadWholeFile(file);
        if (bytes && LooksLikeKeyFile(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size())))
            return std::string("a signing key file: keep it off every server");
    }
    // The version a patch raises lives there: no pattern takes it out.
    if (atRoot && folded == FoldedName("System.ini"))
        return std::nullopt;
    for (const Pattern& pattern : patterns_) {
        if (pattern.foldersOnly && !folder)
            continue;
        if (Matches(pattern.folded, pattern.anchored ? folded : last))
            return std::string(kIgnoreFileName) + " line " + std::to_string(pattern.line);
    }
    return std::nullopt;
}

}  // namespace Kiln::Patch
