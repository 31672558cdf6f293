#include "launcher/pages/key_page_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace Launcher {
namespace {

TEST(KeyPageRulesTest, LabelsComeFromTheConfigurationOrTheDefaults)
{
    EXPECT_EQ(KeyLabelText("", 0), "↑:");
    EXPECT_EQ(KeyLabelText("", 4), "A:");
    EXPECT_EQ(KeyLabelText("", 15), "C2:");
    EXPECT_EQ(KeyLabelText("決定", 4), "決定:");
    EXPECT_EQ(KeyLabelText("%1%", 3), "%1%:");  // a label is text, not a template
}

TEST(KeyPageRulesTest, BoxesNameTheDeviceAndTheInput)
{
    struct Case {
        Kiln::InputCode code;
        const char* text;
    };
    for (const Case& c : std::vector<Case>{{{0, 0x2C}, "Key: Z"},
                                           {{0, 0xC8}, "Key: ↑"},
                                           {{0, 0x3A}, "Key: "},   // Caps Lock has no name
                                           {{0, 0x100}, "Key: "},  // beyond the keyboard
                                           {{1, 0x00}, "Joy1: ↑"},
                                           {{2, 0x12}, "Joy2: 3"},
                                           {{4, 0x1F}, "Joy4: 16"},
                                           {{7, 0x0C}, "Joy7: ↑(POV)"},  // as stored, open or not
                                           {{1, 0x20}, "Joy1: "}})
        EXPECT_EQ(KeyBoxText(c.code), c.text) << c.code.device << "," << c.code.code;
}

TEST(KeyPageRulesTest, EveryCapturableTextIsOfferedForTheBoxWidth)
{
    const std::vector<std::string> texts = AllKeyBoxTexts();
    // the 116 named keys of the key table, and 32 inputs for each of four joysticks
    EXPECT_EQ(texts.size(), 116u + 4u * 32u);
    for (const char* widest : {"Key: Windows(Right)", "Key: Shift(Right)", "Joy4: ZDEC(R)", "Joy1: →(POV)", "Joy3: 16"})
        EXPECT_NE(std::find(texts.begin(), texts.end(), widest), texts.end()) << widest;
    EXPECT_EQ(std::find(texts.begin(), texts.end(), "Key: "), texts.end());  // unnamed keys are never captured
}

std::array<bool, kButtonCount> Enabled(std::initializer_list<size_t> buttons)
{
    std::array<bool, kButtonCount> enabled{};
    for (size_t button : buttons)
        enabled[button] = true;
    return enabled;
}

TEST(KeyPageRulesTest, TheNextBoxIsTheNextEnabledOneGoingRound)
{
    constexpr size_t kUp = 0, kBtn1 = 4;
    const auto next = NextKeyBoxes(Enabled({kUp, kBtn1}));
    EXPECT_EQ(next[kUp], 4);
    EXPECT_EQ(next[kBtn1], 0);
    EXPECT_EQ(next[1], 4);
    EXPECT_EQ(next[3], 4);
    EXPECT_EQ(next[5], 0);
    EXPECT_EQ(next[15], 0);

    for (int box : NextKeyBoxes(Enabled({7})))
        EXPECT_EQ(box, 7);  // the only enabled box follows itself too
    for (int box : NextKeyBoxes(Enabled({})))
        EXPECT_EQ(box, kNoKeyBox);
    const auto all = NextKeyBoxes(Enabled({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}));
    EXPECT_EQ(all[0], 1);
    EXPECT_EQ(all[15], 0);
}

TEST(KeyPageRulesTest, AnInputIsTakenOnceWhenItGoesDown)
{
    InputFlags down, held;
    down.keys[0x2C] = true;  // Z
    EXPECT_EQ(TakePresses(down, held), (Kiln::InputCode{0, 0x2C}));
    EXPECT_EQ(TakePresses(down, held), std::nullopt);  // still held
    down.keys[0x2C] = false;
    EXPECT_EQ(TakePresses(down, held), std::nullopt);
    down.keys[0x2C] = true;
    EXPECT_EQ(TakePresses(down, held), (Kiln::InputCode{0, 0x2C}));

    InputFlags stick, stickHeld;
    stick.joysticks[1][0x12] = true;  // joystick 2, button 3
    EXPECT_EQ(TakePresses(stick, stickHeld), (Kiln::InputCode{2, 0x12}));
    EXPECT_EQ(TakePresses(stick, stickHeld), std::nullopt);
}

TEST(KeyPageRulesTest, UnnamedKeysAreNeitherTakenNorHeld)
{
    InputFlags down, held;
    down.keys[0x3A] = true;  // Caps Lock
    down.keys[0x00] = true;
    EXPECT_EQ(TakePresses(down, held), std::nullopt);
    EXPECT_FALSE(held.keys[0x3A]);
    EXPECT_FALSE(held.keys[0x00]);
}

TEST(KeyPageRulesTest, OfSimultaneousPressesTheLastInOrderIsTaken)
{
    InputFlags down, held;
    down.keys[0x2D] = true;  // X
    down.keys[0x2C] = true;  // Z, a lower scan code
    EXPECT_EQ(TakePresses(down, held), (Kiln::InputCode{0, 0x2D}));
    EXPECT_TRUE(held.keys[0x2C]);  // taken over too: it does not come back on the next poll
    EXPECT_EQ(TakePresses(down, held), std::nullopt);

    down.keys[0xC8] = true;          // up arrow
    down.joysticks[0][0x00] = true;  // joystick 1 up, after every key
    down.joysticks[3][0x10] = true;  // joystick 4 button 1, last
    EXPECT_EQ(TakePresses(down, held), (Kiln::InputCode{4, 0x10}));
}

}  // namespace
}  // namespace Launcher
