// Input codes come from Game.ini and System.ini, which players and makers edit by hand.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "kiln/input/input_code.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto code = Kiln::ParseInputCode(text);
    if (code) {
        // What the launcher writes back must read as the same code.
        const auto again = Kiln::ParseInputCode(Kiln::FormatInputCode(code->device, code->code));
        if (!again || *again != *code)
            __builtin_trap();
    }
    return 0;
}
