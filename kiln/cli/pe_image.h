#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The headers and export names of a Windows program or library file, read from its bytes
// without loading it. Every offset and count in the file is checked against the buffer.
namespace KilnCli {

constexpr uint16_t kMachineI386 = 0x014C;
constexpr uint16_t kMachineAmd64 = 0x8664;

struct PeImage {
    uint16_t machine = 0;
    bool isDll = false;
    bool isPe32Plus = false;  // the 64-bit optional header
    std::vector<std::string> exportNames;  // in the file's order
};

enum class PeError {
    kNone,
    kNotPe,           // no MZ header or no PE signature where it points
    kTruncated,       // a header runs past the end of the file
    kBadExportTable,  // the export directory or its names lie outside the file's sections
};

const char* Describe(PeError error);

std::optional<PeImage> ReadPeImage(std::string_view bytes, PeError* error = nullptr);

}  // namespace KilnCli
