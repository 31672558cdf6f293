#include "kiln/graphics/adapter_mode.h"

namespace Kiln {
namespace {

bool HasAll(uint32_t caps, uint32_t bits)
{
    return (caps & bits) == bits;
}

// Mirrors the Direct3D 9 creation flags, which this file does not include.
constexpr uint32_t kCreateMultithreaded = 0x4;
constexpr uint32_t kCreateSoftwareVertexProcessing = 0x20;
constexpr uint32_t kCreateHardwareVertexProcessing = 0x40;
constexpr uint32_t kCreateMixedVertexProcessing = 0x80;
constexpr uint32_t kCreatePureDevice = 0x10;

}  // namespace

int AdapterModeFromCaps(uint32_t devCaps, uint32_t vertexShaderVersion)
{
    if (!HasAll(devCaps, kDevCapsHwRasterization))
        return kNoAdapterMode;
    if (!HasAll(devCaps, kDevCapsHwTransformAndLight))
        return 2;
    if (HasAll(devCaps, kDevCapsPureDevice) && vertexShaderVersion >= kVertexShader11)
        return 0;
    return 1;
}

bool AdapterModeAllowed(int mode, uint32_t devCaps, uint32_t vertexShaderVersion)
{
    const int best = AdapterModeFromCaps(devCaps, vertexShaderVersion);
    return best != kNoAdapterMode && mode >= best && mode < kAdapterModeCount;
}

uint32_t BehaviourFlagsForMode(int mode)
{
    switch (mode) {
    case 0:
        return kCreateHardwareVertexProcessing | kCreatePureDevice | kCreateMultithreaded;
    case 1:
        return kCreateMixedVertexProcessing | kCreateMultithreaded;
    case 2:
        return kCreateSoftwareVertexProcessing | kCreateMultithreaded;
    default:
        return 0;
    }
}

bool HasVertexShader20(uint32_t vertexShaderVersion)
{
    return vertexShaderVersion >= kVertexShader20;
}

bool HasPixelShader20(uint32_t pixelShaderVersion)
{
    return pixelShaderVersion >= kPixelShader20;
}

}  // namespace Kiln
