// Engine libraries are whatever a maker put beside the launcher.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "kiln/cli/pe_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    KilnCli::PeError error = KilnCli::PeError::kNone;
    const auto image = KilnCli::ReadPeImage(bytes, &error);
    // Either an image or a reason, never both; no name is longer than the file.
    if (image.has_value() == (error != KilnCli::PeError::kNone))
        __builtin_trap();
    if (image) {
        for (const auto& name : image->exportNames) {
            if (name.size() >= size)
                __builtin_trap();
        }
    }
    return 0;
}
