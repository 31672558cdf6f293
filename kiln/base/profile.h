#pragma once

#include <functional>
#include <string>
#include <vector>

// Value rules of the profile (.ini) files that need no file access.
namespace Kiln::Profile {

constexpr int kMaxListEntries = 256;

// Walks a numbered key list ("Archive1", "BaseURL1", ...). `read` gets the number (from 1)
// and returns the value read with the default "end"; the walk stops at an empty value, at
// exactly "end", or after 256 entries.
std::vector<std::string> ReadNumberedList(const std::function<std::string(int)>& read);

}  // namespace Kiln::Profile
