#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "kiln/patch/payload.h"

// The game's System.ini is not replaced like other files: the launcher writes to it after
// install (it seals the account key in place), so a patch merges instead of refusing it.
namespace Kiln::Patch {

// Whether a payload name is the game's System.ini (names compare without case).
bool IsSystemIni(const std::string& name);

// The System.ini a folder whose System.ini reads `installed` gets from this payload: the new
// version's exactly when `installed` is the old version's, else the two merged (see
// MergeIniText). Nothing when the payload's System.ini is damaged.
std::optional<std::string> SystemIniFor(const Payload& payload, std::string_view installed);

}  // namespace Kiln::Patch
