#include <cstddef>
#include <cstdint>

#include "kiln/patch/delta_windows.h"
#include "kiln/patch/ini_value.h"
#include "kiln/patch/payload.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto payload = Kiln::Patch::ReadPayload(data, size);
    if (payload) {
        // What reads back must write back to the same bytes.
        const Kiln::Patch::Bytes again = Kiln::Patch::WritePayload(*payload);
        if (again.size() != size)
            __builtin_trap();
        // Three profile texts from the old System.ini's bytes; a folder that still holds the
        // old text gets the new one unchanged.
        const std::string_view ini = payload->oldSystemIni;
        const std::string_view old = ini.substr(0, ini.size() / 3);
        const std::string_view installed = ini.substr(ini.size() / 3, ini.size() / 3);
        const std::string_view next = ini.substr(2 * (ini.size() / 3));
        Kiln::Patch::MergeIniText(old, installed, next);
        if (Kiln::Patch::MergeIniText(old, old, next) != next)
            __builtin_trap();
        // Every entry's contents decoded, against the old System.ini's bytes as the old file
        // (a delta's windows refer to ranges of it).
        Kiln::Patch::MemorySource oldFile(reinterpret_cast<const uint8_t*>(ini.data()), ini.size());
        for (const Kiln::Patch::Entry& entry : payload->entries) {
            if (entry.newSize > (1u << 20))
                continue;  // the fuzzer's memory limit, not the format's
            Kiln::Patch::SourceReader contents = Kiln::Patch::ContentsOf(entry);
            uint64_t decoded = 0;
            auto count = [&decoded](const uint8_t*, size_t piece) {
                decoded += piece;
                return true;
            };
            const bool whole = entry.method == Kiln::Patch::Method::kWhole;
            const bool ok = whole ? Kiln::Patch::DecodeWholeInPieces(contents, entry.newSize, count)
                                  : Kiln::Patch::DecodeDelta(contents, oldFile, entry.newSize, count) ==
                                        Kiln::Patch::DeltaResult::kDecoded;
            if (ok && decoded != entry.newSize)
                __builtin_trap();
        }
    }
    if (size >= Kiln::Patch::kTrailerSize)
        Kiln::Patch::ReadTrailer(data + size - Kiln::Patch::kTrailerSize, size);
    return 0;
}
