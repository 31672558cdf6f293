#include "kiln/input/input_tables.h"

#include <gtest/gtest.h>

namespace Kiln {
namespace {

void PressKey(InputTables& tables, uint8_t scanCode, uint8_t value = 0x80)
{
    tables.KeyboardBuffer()[scanCode] = value;
}

JoystickReading Buttons(std::initializer_list<int> down)
{
    JoystickReading r;
    r.pov = 0xFFFFFFFF;
    for (int b : down)
        r.buttons[b] = 0x80;
    return r;
}

int ButtonsOn(const InputTables& tables)
{
    int on = 0;
    for (int p = 0; p <= kMaxPlayers + 1; ++p)
        for (int b = -1; b <= kPlayerButtonCount; ++b)
            on += tables.IsPlayerButtonOn(p, b);
    return on;
}

TEST(InputTablesTest, PlayerOneStartsOnTheKeyboard)
{
    const InputTables tables;
    const uint8_t keys[] = {0xC8, 0xD0, 0xCB, 0xCD, 0x2C, 0x2D, 0x2A, 0x9D,
                            0x1E, 0x1F, 0x20, 0x21, 0x10, 0x11, 0x12, 0x13};
    for (int b = 0; b < kPlayerButtonCount; ++b)
        EXPECT_EQ(tables.Assignment(1, b), (InputCode{0, keys[b]})) << b;
    for (int p = 2; p <= kMaxPlayers; ++p)
        for (int b = 0; b < kPlayerButtonCount; ++b)
            EXPECT_EQ(tables.Assignment(p, b), (InputCode{0, 0})) << p << " " << b;
    EXPECT_EQ(ButtonsOn(tables), 0);
    for (uint32_t k = 0; k < kKeyCount; ++k)
        EXPECT_EQ(tables.KeyState(k), 0);
}

TEST(InputTablesTest, UpArrowDrivesPlayerOneUpRightAfterConstruction)
{
    InputTables tables;
    PressKey(tables, 0xC8);
    tables.UpdatePlayerButtons(1000);
    EXPECT_TRUE(tables.IsPlayerButtonOn(1, kButtonUp));
    EXPECT_EQ(ButtonsOn(tables), 1);
    EXPECT_EQ(tables.PressTime(1, kButtonUp), 1000u);
}

TEST(InputTablesTest, KeyboardButtonsReadBitSeven)
{
    InputTables tables;
    PressKey(tables, 0x2C, 0x7F);  // Z without bit 7
    tables.UpdatePlayerButtons(0);
    EXPECT_FALSE(tables.IsPlayerButtonOn(1, kButtonBtn1));
    PressKey(tables, 0x2C, 0x80);
    tables.UpdatePlayerButtons(0);
    EXPECT_TRUE(tables.IsPlayerButtonOn(1, kButtonBtn1));
    // Scan code 0 stands for "unassigned" for players 2 to 4; it is never down in practice,
    // and when a buffer says so anyway the rule still holds.
    PressKey(tables, 0x00);
    tables.UpdatePlayerButtons(0);
    EXPECT_TRUE(tables.IsPlayerButtonOn(2, kButtonUp));
}

TEST(InputTablesTest, JoystickAssignmentsReadTheDerivedInputs)
{
    InputTables tables;
    ASSERT_TRUE(tables.Assign(2, kButtonBtn1 + 2, 2, 0x12));   // BTN3 of player 2: joystick 2 button 3
    ASSERT_TRUE(tables.Assign(3, kButtonLeft, 4, kStickLeft));  // player 3 LEFT: joystick 4 stick left
    tables.SetJoystickReading(2, Buttons({2}));
    JoystickReading stick = Buttons({});
    stick.lX = -800;
    tables.SetJoystickReading(4, stick);
    tables.UpdatePlayerButtons(5);
    EXPECT_TRUE(tables.IsPlayerButtonOn(2, kButtonBtn1 + 2));
    EXPECT_TRUE(tables.IsPlayerButtonOn(3, kButtonLeft));
    EXPECT_EQ(ButtonsOn(tables), 2);
    EXPECT_EQ(tables.JoystickInput(2, 0x12), 1);
    EXPECT_EQ(tables.JoystickInput(4, kStickLeft), 1);
    EXPECT_EQ(tables.JoystickInput(1, 0x12), 0);
}

TEST(InputTablesTest, AssignmentsOutOfRangeReadOff)
{
    InputTables tables;
    tables.SetJoystickReading(1, Buttons({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}));
    ASSERT_TRUE(tables.Assign(4, 0, 5, 0x10));   // no device 5
    ASSERT_TRUE(tables.Assign(4, 1, 1, 0x20));   // no joystick input 0x20
    ASSERT_TRUE(tables.Assign(4, 2, 255, 0x10));
    ASSERT_TRUE(tables.Assign(4, 3, 3, 0x10));   // a joystick that reported nothing
    ASSERT_TRUE(tables.Assign(4, 4, 1, 0x10));   // the control case
    tables.UpdatePlayerButtons(0);
    for (int b = 0; b < 4; ++b)
        EXPECT_FALSE(tables.IsPlayerButtonOn(4, b)) << b;
    EXPECT_TRUE(tables.IsPlayerButtonOn(4, 4));

    EXPECT_FALSE(tables.Assign(0, 0, 1, 0x10));
    EXPECT_FALSE(tables.Assign(5, 0, 1, 0x10));
    EXPECT_FALSE(tables.Assign(1, 16, 1, 0x10));
    EXPECT_FALSE(tables.Assign(1, -1, 1, 0x10));
    EXPECT_EQ(tables.JoystickInput(0, 0x10), 0);
    EXPECT_EQ(tables.JoystickInput(5, 0x10), 0);
    EXPECT_EQ(tables.JoystickInput(1, 32), 0);
    EXPECT_FALSE(tables.IsPlayerButtonOn(0, 0));
}

TEST(InputTablesTest, KeyMapAddsButtonsButNeverClearsThem)
{
    InputTables tables;
    ASSERT_TRUE(tables.SetKeyMap(0x39, KeyMapEntry(3, kButtonBtn1 + 11)));  // Space -> player 3 BTN12
    ASSERT_TRUE(tables.SetKeyMap(0x2C, KeyMapEntry(2, kButtonUp)));         // Z also -> player 2 UP
    PressKey(tables, 0x39);
    PressKey(tables, 0x2C);
    tables.UpdatePlayerButtons(0);
    EXPECT_TRUE(tables.IsPlayerButtonOn(3, kButtonBtn1 + 11));
    EXPECT_TRUE(tables.IsPlayerButtonOn(2, kButtonUp));
    EXPECT_TRUE(tables.IsPlayerButtonOn(1, kButtonBtn1));  // Z's own assignment stays
    EXPECT_EQ(ButtonsOn(tables), 3);

    // A mapped key that is up leaves an assigned button on.
    ASSERT_TRUE(tables.SetKeyMap(0x01, KeyMapEntry(1, kButtonBtn1)));
    tables.UpdatePlayerButtons(0);
    EXPECT_TRUE(tables.IsPlayerButtonOn(1, kButtonBtn1));
}

TEST(InputTablesTest, KeyMapEntriesOutsidePlayersAndButtonsAreIgnored)
{
    InputTables tables;
    const int32_t entries[] = {KeyMapEntry(0, 0), KeyMapEntry(5, 0), KeyMapEntry(1, 16),
                               KeyMapEntry(1, 0xFF), KeyMapEntry(0xFF, 1), -1};
    for (uint32_t k = 0; k < std::size(entries); ++k) {
        ASSERT_TRUE(tables.SetKeyMap(0x50 + k, entries[k]));
        PressKey(tables, static_cast<uint8_t>(0x50 + k));
    }
    // Bits above 15 are not part of the entry.
    ASSERT_TRUE(tables.SetKeyMap(0x60, KeyMapEntry(2, 3) | 0x7F0000));
    PressKey(tables, 0x60);
    tables.UpdatePlayerButtons(0);
    EXPECT_TRUE(tables.IsPlayerButtonOn(2, 3));
    EXPECT_EQ(ButtonsOn(tables), 1);
    EXPECT_FALSE(tables.SetKeyMap(256, KeyMapEntry(1, 0)));
}

TEST(InputTablesTest, PressTimeMarksTheMomentAButtonWentDown)
{
    InputTables tables;
    PressKey(tables, 0x2D);  // X: player 1 BTN2
    tables.UpdatePlayerButtons(100);
    tables.UpdatePlayerButtons(200);  // still held
    EXPECT_EQ(tables.PressTime(1, kButtonBtn1 + 1), 100u);
    PressKey(tables, 0x2D, 0);
    tables.UpdatePlayerButtons(300);
    EXPECT_EQ(tables.PressTime(1, kButtonBtn1 + 1), 100u);  // kept after release
    PressKey(tables, 0x2D);
    tables.UpdatePlayerButtons(400);
    EXPECT_EQ(tables.PressTime(1, kButtonBtn1 + 1), 400u);
    EXPECT_EQ(tables.PressTime(1, kButtonBtn1), 0u);
    EXPECT_EQ(tables.PressTime(9, 0), 0u);
}

TEST(InputTablesTest, ClearingReadingsTurnsEverythingOff)
{
    InputTables tables;
    tables.SetKeyMap(0x39, KeyMapEntry(2, 0));
    PressKey(tables, 0x39);
    PressKey(tables, 0x2C);
    tables.SetJoystickReading(1, Buttons({0}));
    tables.UpdatePlayerButtons(10);
    ASSERT_EQ(ButtonsOn(tables), 2);

    tables.ClearReadings();
    EXPECT_EQ(ButtonsOn(tables), 0);
    EXPECT_FALSE(tables.IsKeyDown(0x2C));
    EXPECT_EQ(tables.JoystickInput(1, 0x10), 0);

    // A key still held when reading resumes is a new press. The key map survives.
    PressKey(tables, 0x39);
    tables.UpdatePlayerButtons(20);
    EXPECT_TRUE(tables.IsPlayerButtonOn(2, 0));
    EXPECT_EQ(tables.PressTime(2, 0), 20u);

    tables.ClearKeyboardAndKeyMap();
    PressKey(tables, 0x39);
    tables.UpdatePlayerButtons(30);
    EXPECT_FALSE(tables.IsPlayerButtonOn(2, 0));
}

TEST(InputTablesTest, JoystickReadingsOutsideTheJoystickRowsAreDropped)
{
    InputTables tables;
    tables.SetJoystickReading(0, Buttons({0}));
    tables.SetJoystickReading(5, Buttons({0}));
    tables.SetJoystickReading(-1, Buttons({0}));
    for (int d = 0; d < kDeviceSlots; ++d)
        EXPECT_EQ(tables.JoystickInput(d, 0x10), 0) << d;
}

}  // namespace
}  // namespace Kiln
