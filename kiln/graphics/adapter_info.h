#pragma once

#include <cstdint>

namespace Kiln {

// What the adapter query reports about display adapter 0.
struct AdapterInfo {
    char description[512] = {};  // always NUL-terminated
    int32_t adapterMode = 0;     // 0, 1 or 2: see AdapterModeFromCaps
    uint32_t videoMemory = 0;    // bytes
    uint32_t maxTextureWidth = 0;
    uint32_t maxTextureHeight = 0;
    uint8_t vertexShader20 = 0;
    uint8_t pixelShader20 = 0;
    uint8_t anyTextureSize = 0;
};

}  // namespace Kiln
