#pragma once

#include <string>
#include <string_view>

// How a file object turns a name into the path it opens and the name it reports.
namespace Kiln::FileName {

using LeadBytePredicate = bool (*)(unsigned char);

// Names of at least two bytes get every '/' turned into '\', stepping over the trail byte of
// each double-byte character; shorter names are left as they are.
std::string WithBackslashes(std::string_view name, LeadBytePredicate isLeadByte);

// Absolute: starts with a backslash, or has a drive colon as its second byte.
bool IsAbsolute(std::string_view name);

// The path opened: relative names (of two bytes or more) are put behind the root directory.
std::string FullName(std::string_view name, std::string_view root, LeadBytePredicate isLeadByte);

// The name shown in the log: an absolute name loses as many leading bytes as the root has and
// then one leading backslash, so a path under the root reads as relative.
std::string DisplayName(std::string_view name, std::string_view root, LeadBytePredicate isLeadByte);

// The part of the name after its last ".", lower-cased (A-Z only); empty without a dot.
std::string LowerExtension(std::string_view name);

}  // namespace Kiln::FileName
