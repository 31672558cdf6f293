#pragma once

#include <cstddef>
#include <string>

namespace Kiln {

// A GDI face name holds 31 characters and its terminator; the runtime's face names are
// Shift-JIS, at most one character per byte.
constexpr size_t kMaxFaceNameBytes = 31;

// The longest start of `name` within kMaxFaceNameBytes that splits no double-byte character
// (a lead byte whose trail byte would fall outside, or is missing, is dropped).
std::string FaceNameBytes(const std::string& name);

}  // namespace Kiln
