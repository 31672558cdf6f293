#include "launcher/pages/hardware_report.h"

#include <cstdio>
#include <cstring>

namespace Launcher {
namespace {

constexpr uint32_t kLastBrandFunction = 0x80000004;

template <class... Args>
std::string Format(const char* format, Args... args)
{
    char buffer[640];
    const int length = std::snprintf(buffer, sizeof buffer, format, args...);
    if (length < 0)
        return {};
    return std::string(buffer, static_cast<size_t>(length) < sizeof buffer ? static_cast<size_t>(length) : sizeof buffer - 1);
}

const char* AdapterModeText(int32_t mode)
{
    switch (mode) {
    case 0:
        return "Adapter mode:\nHardware TnL\n";
    case 1:
        return "Adapter mode:\nHardware Accelerator Layer\n";
    case 2:
        return "Adapter mode:\nHardware Emulation Layer\n";
    default:
        return "";
    }
}

}  // namespace

std::string CpuName(uint32_t highestExtendedFunction, const CpuBrandWords& words)
{
    if (highestExtendedFunction < kLastBrandFunction)
        return "Unknown CPU";
    char brand[48];
    for (size_t i = 0; i < words.size(); ++i) {
        for (size_t byte = 0; byte < 4; ++byte)
            brand[i * 4 + byte] = static_cast<char>((words[i] >> (8 * byte)) & 0xFF);
    }
    brand[47] = '\0';
    return brand;
}

std::string BuildHardwareReport(const MachineFacts& machine, const Kiln::AdapterInfo& adapter)
{
    std::string text = "---- System information ----\n";
    text += Format("CPU name:\n%s\n", machine.cpuName.c_str());
    text += Format("Memory:\n%lld MB\n", static_cast<long long>(machine.totalMemoryBytes >> 20));
    text += machine.inputDeviceCount > 1 ? "★ジョイスティックが使用できます。\n" : "★ジョイスティックは使用できません。\n";
    text += "----------------------------\n";
    text += "---- Graphics card information ----\n";
    const std::string description(adapter.description, strnlen(adapter.description, sizeof adapter.description));
    text += Format("Graphics card name:\n%s\n", description.c_str());
    text += Format("Total video memory of adapter:\n%d MB\n", static_cast<int>(adapter.videoMemory >> 20));
    text += Format("Maximum texture width:\n%d Pixel\n", static_cast<int>(adapter.maxTextureWidth));
    text += Format("Maximum texture height:\n%d Pixel\n", static_cast<int>(adapter.maxTextureHeight));
    text += AdapterModeText(adapter.adapterMode);
    text += adapter.pixelShader20 ? "Pixel Shader 2.0:\nYes\n" : "Pixel Shader 2.0:\nNo\n";
    text += "-----------------------------------\n";
    return ToCrLf(text);
}

std::string ToCrLf(const std::string& text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

}  // namespace Launcher
