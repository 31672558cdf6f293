// The command line comes from whoever starts the program.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "launcher/startup/mode_selection.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view commandLine(reinterpret_cast<const char*>(data), size);
    const Launcher::StartChoice choice = Launcher::SelectStartMode(commandLine);
    if (choice.action == Launcher::StartAction::HandOver && choice.engineLibrary.empty())
        __builtin_trap();
    return 0;
}
