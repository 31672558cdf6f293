#include "kiln/patch/ini_value.h"

#include <vector>

namespace Kiln::Patch {
namespace {

struct Line {
    size_t begin;    // first byte of the line
    size_t end;      // before its line end
    size_t next;     // first byte of the next line
};

std::vector<Line> SplitLines(std::string_view text)
{
    std::vector<Line> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        const size_t next = end == std::string_view::npos ? text.size() : end + 1;
        if (end == std::string_view::npos)
            end = text.size();
        if (end > pos && text[end - 1] == '\r')
            --end;
        lines.push_back({pos, end, next});
        pos = next;
    }
    return lines;
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

bool SameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x + 32);
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y + 32);
        if (x != y)
            return false;
    }
    return true;
}

// The section a line opens, or nothing.
std::optional<std::string_view> SectionOf(std::string_view line)
{
    line = Trim(line);
    if (line.size() < 2 || line.front() != '[')
        return std::nullopt;
    const size_t close = line.find(']');
    if (close == std::string_view::npos)
        return std::nullopt;
    return Trim(line.substr(1, close - 1));
}

struct Found {
    bool sectionSeen = false;
    size_t sectionEnd = 0;  // where a new key of the section goes
    std::optional<Line> keyLine;
    size_t valueBegin = 0;
    size_t valueEnd = 0;
};

Found Find(std::string_view text, std::string_view section, std::string_view key)
{
    Found found;
    bool inSection = false;
    for (const Line& line : SplitLines(text)) {
        const std::string_view content = text.substr(line.begin, line.end - line.begin);
        if (const auto name = SectionOf(content)) {
            if (inSection)
                return found;
            inSection = SameName(*name, section);
            if (inSection) {
                found.sectionSeen = true;
                found.sectionEnd = line.next;
            }
            continue;
        }
        if (!inSection)
            continue;
        if (!Trim(content).empty())
            found.sectionEnd = line.next;
        const size_t equals = content.find('=');
        if (equals == std::string_view::npos || !SameName(Trim(content.substr(0, equals)), key))
            continue;
        const std::string_view raw = content.substr(equals + 1);
        const std::string_view value = Trim(raw);
        found.keyLine = line;
        found.valueBegin = value.empty() ? line.end : static_cast<size_t>(value.data() - text.data());
        found.valueEnd = found.valueBegin + value.size();
        return found;
    }
    return found;
}

// A value as the text spells it (quotes included), or nothing.
std::optional<std::string_view> RawValue(std::string_view text, std::string_view section, std::string_view key)
{
    const Found found = Find(text, section, key);
    if (!found.keyLine)
        return std::nullopt;
    return text.substr(found.valueBegin, found.valueEnd - found.valueBegin);
}

struct KeyName {
    std::string_view section;
    std::string_view key;
};

// Every key of every section, in the order the text lists them.
std::vector<KeyName> KeysOf(std::string_view text)
{
    std::vector<KeyName> keys;
    std::optional<std::string_view> section;
    for (const Line& line : SplitLines(text)) {
        const std::string_view content = text.substr(line.begin, line.end - line.begin);
        if (const auto name = SectionOf(content)) {
            section = name;
            continue;
        }
        const size_t equals = content.find('=');
        const std::string_view key = equals == std::string_view::npos ? "" : Trim(content.substr(0, equals));
        if (section && !key.empty() && key.front() != ';')
            keys.push_back({*section, key});
    }
    return keys;
}

}  // namespace

std::optional<std::string> ReadIniValue(std::string_view text, std::string_view section, std::string_view key)
{
    const Found found = Find(text, section, key);
    if (!found.keyLine)
        return std::nullopt;
    std::string_view value = text.substr(found.valueBegin, found.valueEnd - found.valueBegin);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

std::string WriteIniValue(std::string_view text, std::string_view section, std::string_view key,
                          std::string_view value)
{
    const std::string eol = text.find("\r\n") != std::string_view::npos || text.empty() ? "\r\n" : "\n";
    const Found found = Find(text, section, key);
    std::string out;
    if (found.keyLine) {
        out.append(text.substr(0, found.valueBegin));
        out.append(value);
        out.append(text.substr(found.valueEnd));
        return out;
    }
    const std::string keyLine = std::string(key) + "=" + std::string(value) + eol;
    if (found.sectionSeen) {
        out.append(text.substr(0, found.sectionEnd));
        if (found.sectionEnd > 0 && text[found.sectionEnd - 1] != '\n')
            out.append(eol);
        out.append(keyLine);
        out.append(text.substr(found.sectionEnd));
        return out;
    }
    out.append(text);
    if (!out.empty() && out.back() != '\n')
        out.append(eol);
    out.append("[" + std::string(section) + "]" + eol + keyLine);
    return out;
}

std::string MergeIniText(std::string_view old, std::string_view installed, std::string_view next)
{
    if (installed == old)
        return std::string(next);
    std::string merged(next);
    for (const KeyName& name : KeysOf(installed)) {
        if (SameName(name.section, "Game") && SameName(name.key, "Version"))
            continue;
        // Nothing for a key the profile functions never see (one in a repeated section).
        const auto mine = RawValue(installed, name.section, name.key);
        const auto before = RawValue(old, name.section, name.key);
        if (!mine || mine == before || RawValue(next, name.section, name.key) != before)
            continue;
        merged = WriteIniValue(merged, name.section, name.key, *mine);
    }
    return merged;
}

}  // namespace Kiln::Patch
