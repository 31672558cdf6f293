#include "launcher/startup/mode_selection.h"

#include <boost/algorithm/string/split.hpp>

#include "kiln/base/text.h"

namespace Launcher {
namespace {

struct Switch {
    const char* shortForm;
    const char* longForm;
    StartAction action;
    const char* engineLibrary;
};

constexpr Switch kSwitches[] = {
    {"-e", "--enginedebug", StartAction::HandOver, kDebugEngine},
    {"-d", "--development", StartAction::HandOver, kTestEngine},
    {"-r", "--run", StartAction::HandOver, kGameEngine},
    {"-c", "--config", StartAction::RunWindow, ""},
};

}  // namespace

std::vector<std::string> SplitAtSpaces(std::string_view text)
{
    std::vector<std::string> pieces;
    boost::algorithm::split(pieces, text, [](char c) { return c == ' '; });
    return pieces;
}

StartChoice SelectStartMode(std::string_view commandLine)
{
    const std::string first = Kiln::AsciiLower(SplitAtSpaces(commandLine).front());
    for (const Switch& option : kSwitches) {
        if (first == option.shortForm || first == option.longForm)
            return {option.action, option.engineLibrary};
    }
    return {StartAction::DirectRunRule, ""};
}

}  // namespace Launcher
