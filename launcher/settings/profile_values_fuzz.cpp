// Profile values come from ini files that players and makers edit by hand.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "kiln/base/text.h"
#include "kiln/input/input_code.h"
#include "launcher/settings/general_settings.h"
#include "launcher/settings/key_assignment.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    // Whatever parses survives being written and read back.
    if (const auto assignment = Kiln::ParseInputCode(text)) {
        const auto again = Kiln::ParseInputCode(
            Kiln::FormatInputCode(assignment->device, assignment->code));
        if (!again || again->device != assignment->device || again->code != assignment->code)
            __builtin_trap();
    }
    // What the save writes always parses.
    const size_t button = size % Launcher::kButtonCount;
    if (!Kiln::ParseInputCode(Launcher::UsableKeyAssignment(text, 1, button)))
        __builtin_trap();

    const int screenSize = Launcher::ParseScreenSize(text);
    if (screenSize < 0 || screenSize > 4)
        __builtin_trap();
    const int vram = Launcher::ParseMaxVRAMCacheSize(text);
    if (vram != 0 && vram != 256 && vram != 512)
        __builtin_trap();
    const int fileCache = Launcher::ParseMaxFileCacheSize(text);
    if (fileCache != 128 && fileCache != 256 && fileCache != 512)
        __builtin_trap();

    const std::string lower = Kiln::AsciiLower(text);
    if (lower.size() != text.size() || Kiln::IsSwitchOn(text) != (lower == "yes"))
        __builtin_trap();
    return 0;
}
