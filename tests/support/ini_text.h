#pragma once

#include <string>
#include <vector>

// Looking into ini files as bytes on disk, independently of the profile functions.
namespace KilnTest {

// The lines of section [name] (without line ends, blank lines left out), in file order;
// empty when the section is missing.
std::vector<std::string> IniSectionLines(const std::string& text, const std::string& name);

bool IniHasSection(const std::string& text, const std::string& name);

}  // namespace KilnTest
