#pragma once

#include <cstdint>

// How the graphics service chooses the way a device processes vertices, from the adapter's
// capability bits (D3DCAPS9::DevCaps) and shader versions. No Direct3D header is needed.
namespace Kiln {

inline constexpr uint32_t kDevCapsHwTransformAndLight = 0x10000;
inline constexpr uint32_t kDevCapsHwRasterization = 0x80000;
inline constexpr uint32_t kDevCapsPureDevice = 0x100000;

inline constexpr uint32_t kVertexShader11 = 0xFFFE0101;
inline constexpr uint32_t kVertexShader20 = 0xFFFE0200;
inline constexpr uint32_t kPixelShader20 = 0xFFFF0200;

inline constexpr int kAdapterModeCount = 3;
inline constexpr int kNoAdapterMode = -1;

// 0: hardware rasterisation, transform and lighting, pure device and vertex shader 1.1;
// 1: hardware rasterisation with transform and lighting; 2: hardware rasterisation only;
// kNoAdapterMode without hardware rasterisation.
int AdapterModeFromCaps(uint32_t devCaps, uint32_t vertexShaderVersion);

// Whether the capabilities allow a device of this mode (a mode allows every lesser one).
bool AdapterModeAllowed(int mode, uint32_t devCaps, uint32_t vertexShaderVersion);

// The device creation behaviour flags of a mode (hardware, mixed or software vertex
// processing, always multithreaded); 0 for a mode outside 0 to 2.
uint32_t BehaviourFlagsForMode(int mode);

bool HasVertexShader20(uint32_t vertexShaderVersion);
bool HasPixelShader20(uint32_t pixelShaderVersion);

}  // namespace Kiln
