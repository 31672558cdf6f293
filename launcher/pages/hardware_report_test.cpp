#include "launcher/pages/hardware_report.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace Launcher {
namespace {

TEST(HardwareReportTest, CpuNameFromBrandFunctions)
{
    struct Case {
        uint32_t highest;
        CpuBrandWords words;
        const char* name;
    };
    const CpuBrandWords ryzen = {0x20444D41, 0x657A7952, 0x2035206E, 0x30303633, 0x432D3620, 0x2065726F,
                                 0x636F7250, 0x6F737365, 0x20202072, 0x20202020, 0x20202020, 0x00202020};
    const CpuBrandWords leadingBlanks = {0x20202020, 0x4E4C494B, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    CpuBrandWords full;
    full.fill(0x41414141);
    for (const Case& c : std::vector<Case>{
             {0x80000008, ryzen, "AMD Ryzen 5 3600 6-Core Processor              "},
             {0x80000004, leadingBlanks, "    KILN"},
             {0x80000004, full, "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA"},  // 47: the last byte is cut
             {0x80000003, ryzen, "Unknown CPU"},
             {0x00000000, ryzen, "Unknown CPU"},
         }) {
        EXPECT_EQ(CpuName(c.highest, c.words), c.name) << std::hex << c.highest;
    }
}

Kiln::AdapterInfo Adapter(const char* description, int32_t mode, uint32_t videoMemory, uint32_t width, uint32_t height,
                          bool pixelShader20)
{
    Kiln::AdapterInfo info;
    std::strncpy(info.description, description, sizeof info.description - 1);
    info.adapterMode = mode;
    info.videoMemory = videoMemory;
    info.maxTextureWidth = width;
    info.maxTextureHeight = height;
    info.pixelShader20 = pixelShader20;
    info.vertexShader20 = !pixelShader20;  // not reported
    return info;
}

TEST(HardwareReportTest, ReportLinesForMachineAndAdapter)
{
    struct Case {
        MachineFacts machine;
        Kiln::AdapterInfo adapter;
        const char* report;
    };
    for (const Case& c : std::vector<Case>{
             {{"Intel(R) Core(TM) i7", 17179869184ull, 1}, Adapter("NVIDIA GeForce GTX 470", 0, 1073741824, 16384, 16384, true),
              "---- System information ----\r\n"
              "CPU name:\r\nIntel(R) Core(TM) i7\r\n"
              "Memory:\r\n16384 MB\r\n"
              "★ジョイスティックは使用できません。\r\n"
              "----------------------------\r\n"
              "---- Graphics card information ----\r\n"
              "Graphics card name:\r\nNVIDIA GeForce GTX 470\r\n"
              "Total video memory of adapter:\r\n1024 MB\r\n"
              "Maximum texture width:\r\n16384 Pixel\r\n"
              "Maximum texture height:\r\n16384 Pixel\r\n"
              "Adapter mode:\r\nHardware TnL\r\n"
              "Pixel Shader 2.0:\r\nYes\r\n"
              "-----------------------------------\r\n"},
             {{"Unknown CPU", 536870911ull, 2}, Adapter("Old card", 2, 33554431, 2048, 1024, false),
              "---- System information ----\r\n"
              "CPU name:\r\nUnknown CPU\r\n"
              "Memory:\r\n511 MB\r\n"
              "★ジョイスティックが使用できます。\r\n"
              "----------------------------\r\n"
              "---- Graphics card information ----\r\n"
              "Graphics card name:\r\nOld card\r\n"
              "Total video memory of adapter:\r\n31 MB\r\n"
              "Maximum texture width:\r\n2048 Pixel\r\n"
              "Maximum texture height:\r\n1024 Pixel\r\n"
              "Adapter mode:\r\nHardware Emulation Layer\r\n"
              "Pixel Shader 2.0:\r\nNo\r\n"
              "-----------------------------------\r\n"},
             {{"  Spaced", 0x10000000000ull, 5}, Adapter("", 1, 0, 0, 0, true),
              "---- System information ----\r\n"
              "CPU name:\r\n  Spaced\r\n"
              "Memory:\r\n1048576 MB\r\n"
              "★ジョイスティックが使用できます。\r\n"
              "----------------------------\r\n"
              "---- Graphics card information ----\r\n"
              "Graphics card name:\r\n\r\n"
              "Total video memory of adapter:\r\n0 MB\r\n"
              "Maximum texture width:\r\n0 Pixel\r\n"
              "Maximum texture height:\r\n0 Pixel\r\n"
              "Adapter mode:\r\nHardware Accelerator Layer\r\n"
              "Pixel Shader 2.0:\r\nYes\r\n"
              "-----------------------------------\r\n"},
         }) {
        EXPECT_EQ(BuildHardwareReport(c.machine, c.adapter), c.report);
    }
}

TEST(HardwareReportTest, DescriptionWithoutTerminatorStopsAtItsField)
{
    Kiln::AdapterInfo info = Adapter("", 0, 0, 0, 0, false);
    std::memset(info.description, 'D', sizeof info.description);
    const std::string report = BuildHardwareReport({"CPU", 0, 0}, info);
    EXPECT_NE(report.find("Graphics card name:\r\n" + std::string(512, 'D') + "\r\nTotal"), std::string::npos);
}

TEST(HardwareReportTest, EveryLineEndBecomesCrLf)
{
    struct Case {
        const char* in;
        const char* out;
    };
    for (const Case& c : std::vector<Case>{{"", ""}, {"a", "a"}, {"\n", "\r\n"}, {"a\n\nb\n", "a\r\n\r\nb\r\n"}}) {
        EXPECT_EQ(ToCrLf(c.in), c.out) << c.in;
    }
}

}  // namespace
}  // namespace Launcher
