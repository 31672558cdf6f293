#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Windows library files built in memory: the headers a loader looks at and an export table,
// no code. Written field by field from the published file layout, not with the tool's reader.
namespace KilnTest {

struct PeShape {
    uint16_t machine = 0x014C;  // i386
    bool dll = true;
    bool pe32Plus = false;  // the 64-bit optional header (goes with machine 0x8664)
    std::vector<std::string> exports;  // export names, written in this order
};

std::vector<uint8_t> MakePeFile(const PeShape& shape);

// Offsets into what MakePeFile writes, for tests that damage it.
constexpr size_t kPeSignatureOffset = 0x40;
constexpr size_t kPeExportDataOffset = 0x200;  // the export directory, in the file

}  // namespace KilnTest
