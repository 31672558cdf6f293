#include "tests/support/ini_text.h"

#include <sstream>

namespace KilnTest {
namespace {

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    std::string line;
    while (std::getline(stream, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

}  // namespace

std::vector<std::string> IniSectionLines(const std::string& text, const std::string& name)
{
    std::vector<std::string> section;
    bool inside = false;
    for (const std::string& line : Lines(text)) {
        if (!line.empty() && line[0] == '[') {
            inside = line == "[" + name + "]";
            continue;
        }
        if (inside && !line.empty())
            section.push_back(line);
    }
    return section;
}

bool IniHasSection(const std::string& text, const std::string& name)
{
    for (const std::string& line : Lines(text)) {
        if (line == "[" + name + "]")
            return true;
    }
    return false;
}

}  // namespace KilnTest
