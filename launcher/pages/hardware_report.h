#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "kiln/graphics/adapter_info.h"

// The text of the hardware information page, built from plain facts about the machine.
namespace Launcher {

// The registers of CPUID functions 0x80000002 to 0x80000004, each EAX, EBX, ECX, EDX.
using CpuBrandWords = std::array<uint32_t, 12>;

// The processor's brand string (at most 47 characters, leading blanks kept), or
// "Unknown CPU" when the highest extended function is below 0x80000004.
std::string CpuName(uint32_t highestExtendedFunction, const CpuBrandWords& words);

struct MachineFacts {
    std::string cpuName;
    uint64_t totalMemoryBytes = 0;
    size_t inputDeviceCount = 0;  // the keyboard first, then joysticks
};

// The whole report with CR LF line ends.
std::string BuildHardwareReport(const MachineFacts& machine, const Kiln::AdapterInfo& adapter);

// Every "\n" becomes "\r\n".
std::string ToCrLf(const std::string& text);

}  // namespace Launcher
