#include "kiln/file/file_name.h"

#include "kiln/base/text.h"

namespace Kiln::FileName {

std::string WithBackslashes(std::string_view name, LeadBytePredicate isLeadByte)
{
    std::string converted(name);
    if (converted.size() < 2)
        return converted;
    for (size_t i = 0; i < converted.size(); ++i) {
        if (isLeadByte(static_cast<unsigned char>(converted[i])))
            ++i;
        else if (converted[i] == '/')
            converted[i] = '\\';
    }
    return converted;
}

bool IsAbsolute(std::string_view name)
{
    return (!name.empty() && name[0] == '\\') || (name.size() >= 2 && name[1] == ':');
}

std::string FullName(std::string_view name, std::string_view root, LeadBytePredicate isLeadByte)
{
    if (name.size() < 2)
        return std::string(name);
    std::string converted = WithBackslashes(name, isLeadByte);
    if (IsAbsolute(converted))
        return converted;
    return std::string(root) + converted;
}

std::string DisplayName(std::string_view name, std::string_view root, LeadBytePredicate isLeadByte)
{
    std::string display = WithBackslashes(name, isLeadByte);
    if (!IsAbsolute(display))
        return display;
    display.erase(0, root.size());
    if (!display.empty() && display[0] == '\\')
        display.erase(0, 1);
    return display;
}

std::string LowerExtension(std::string_view name)
{
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return std::string();
    return AsciiLower(name.substr(dot + 1));
}

}  // namespace Kiln::FileName
