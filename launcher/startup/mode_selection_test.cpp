#include "launcher/startup/mode_selection.h"

#include <gtest/gtest.h>

namespace Launcher {
namespace {

void ExpectEngine(const char* commandLine, const char* engine)
{
    const StartChoice choice = SelectStartMode(commandLine);
    EXPECT_EQ(choice.action, StartAction::HandOver) << commandLine;
    EXPECT_EQ(choice.engineLibrary, engine) << commandLine;
}

void ExpectAction(const char* commandLine, StartAction action)
{
    EXPECT_EQ(SelectStartMode(commandLine).action, action) << '"' << commandLine << '"';
}

TEST(ModeSelectionTest, EngineSwitchesInAnyCase)
{
    ExpectEngine("-e", kDebugEngine);
    ExpectEngine("--enginedebug", kDebugEngine);
    ExpectEngine("-E level1", kDebugEngine);
    ExpectEngine("--EngineDebug x", kDebugEngine);
    ExpectEngine("-d", kTestEngine);
    ExpectEngine("--DEVELOPMENT", kTestEngine);
    ExpectEngine("-r", kGameEngine);
    ExpectEngine("--Run  two spaces", kGameEngine);
}

TEST(ModeSelectionTest, ConfigSwitchShowsTheWindow)
{
    ExpectAction("-c", StartAction::RunWindow);
    ExpectAction("--CONFIG", StartAction::RunWindow);
    ExpectAction("-C -e", StartAction::RunWindow);
}

TEST(ModeSelectionTest, AnythingElseLeavesItToDirectRun)
{
    ExpectAction("", StartAction::DirectRunRule);
    ExpectAction(" -e", StartAction::DirectRunRule);      // first piece is empty
    ExpectAction("-e2", StartAction::DirectRunRule);      // glued to more text
    ExpectAction("-run", StartAction::DirectRunRule);
    ExpectAction("--c", StartAction::DirectRunRule);
    ExpectAction("-e\t1", StartAction::DirectRunRule);    // only spaces separate
    ExpectAction("\x83\x41-e", StartAction::DirectRunRule);
}

TEST(ModeSelectionTest, SplitKeepsEmptyPieces)
{
    EXPECT_EQ(SplitAtSpaces("a  b"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(SplitAtSpaces(""), (std::vector<std::string>{""}));
    EXPECT_EQ(SplitAtSpaces(" x "), (std::vector<std::string>{"", "x", ""}));
}

}  // namespace
}  // namespace Launcher
