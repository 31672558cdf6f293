#pragma once

// The graphics side's own sine table, built by the first graphics service of the process.
namespace Kiln {

constexpr int kGraphicsSineTableSize = 65536;

// Entry i is the sine of i / 65536 of a full turn, in single precision. Later calls do nothing.
void BuildGraphicsSineTable();
// Null until built.
const float* GraphicsSineTable();

}  // namespace Kiln
