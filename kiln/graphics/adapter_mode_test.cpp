#include "kiln/graphics/adapter_mode.h"

#include <gtest/gtest.h>

#include <vector>

namespace Kiln {
namespace {

TEST(AdapterModeTest, ModeFollowsCapabilityBitsAndVertexShader)
{
    struct Case {
        uint32_t devCaps, vertexShader;
        int mode;
    };
    for (const Case& c : std::vector<Case>{
             {0x00190000, 0xFFFE0300, 0},   // rasterisation, T&L, pure device, VS 3.0
             {0x00190000, 0xFFFE0101, 0},   // VS 1.1 is enough
             {0x00190000, 0xFFFE0100, 1},   // VS 1.0 is not
             {0x00190000, 0x00000000, 1},   // no vertex shader at all
             {0x00090000, 0xFFFE0300, 1},   // no pure device
             {0x001D0FFF, 0xFFFE0200, 0},   // other bits do not matter
             {0x00080000, 0xFFFE0300, 2},   // rasterisation only
             {0x00180000, 0xFFFE0300, 2},   // pure device without T&L
             {0x00110000, 0xFFFE0300, -1},  // no hardware rasterisation
             {0x00000000, 0x00000000, -1},
         }) {
        EXPECT_EQ(AdapterModeFromCaps(c.devCaps, c.vertexShader), c.mode) << std::hex << c.devCaps << " " << c.vertexShader;
    }
}

TEST(AdapterModeTest, RequestedModeIsCheckedAgainstTheCapabilities)
{
    struct Case {
        int mode;
        uint32_t devCaps, vertexShader;
        bool allowed;
        uint32_t flags;
    };
    for (const Case& c : std::vector<Case>{
             {0, 0x00190000, 0xFFFE0300, true, 0x54},
             {1, 0x00190000, 0xFFFE0300, true, 0x84},
             {2, 0x00190000, 0xFFFE0300, true, 0x24},
             {0, 0x00090000, 0xFFFE0300, false, 0x54},
             {1, 0x00090000, 0xFFFE0300, true, 0x84},
             {0, 0x00190000, 0xFFFE0100, false, 0x54},
             {1, 0x00080000, 0xFFFE0300, false, 0x84},
             {2, 0x00080000, 0xFFFE0300, true, 0x24},
             {2, 0x00110000, 0xFFFE0300, false, 0x24},
             {3, 0x00190000, 0xFFFE0300, false, 0},
             {-1, 0x00190000, 0xFFFE0300, false, 0},
         }) {
        EXPECT_EQ(AdapterModeAllowed(c.mode, c.devCaps, c.vertexShader), c.allowed) << c.mode << " " << std::hex << c.devCaps;
        EXPECT_EQ(BehaviourFlagsForMode(c.mode), c.flags) << c.mode;
    }
}

TEST(AdapterModeTest, ShaderVersionTwoFlags)
{
    struct Case {
        uint32_t version;
        bool vertex20, pixel20;
    };
    for (const Case& c : std::vector<Case>{{0xFFFE0300, true, false},
                                           {0xFFFE0200, true, false},
                                           {0xFFFE01FF, false, false},
                                           {0xFFFF0200, true, true},
                                           {0xFFFF0300, true, true},
                                           {0xFFFF0104, true, false},
                                           {0, false, false}}) {
        EXPECT_EQ(HasVertexShader20(c.version), c.vertex20) << std::hex << c.version;
        EXPECT_EQ(HasPixelShader20(c.version), c.pixel20) << std::hex << c.version;
    }
}

}  // namespace
}  // namespace Kiln
