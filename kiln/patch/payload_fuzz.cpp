#include <cstddef>
#include <cstdint>

#include "kiln/patch/payload.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto payload = Kiln::Patch::ReadPayload(data, size);
    if (payload) {
        // What reads back must write back to the same bytes.
        const Kiln::Patch::Bytes again = Kiln::Patch::WritePayload(*payload);
        if (again.size() != size)
            __builtin_trap();
    }
    if (size >= Kiln::Patch::kTrailerSize)
        Kiln::Patch::ReadTrailer(data + size - Kiln::Patch::kTrailerSize, size);
    return 0;
}
