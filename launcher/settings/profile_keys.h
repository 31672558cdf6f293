#pragma once

#include "kiln/base/ini_keys.h"

// The launcher's names for the key table of kiln/base/ini_keys.h.
namespace Launcher {

using Kiln::kValueBufferSize;
constexpr size_t kKeyAssignmentBufferSize = Kiln::kShortValueBufferSize;
using Kiln::NumberedProfileKey;
using Kiln::ProfileKey;
namespace Keys = Kiln::Keys;

}  // namespace Launcher
