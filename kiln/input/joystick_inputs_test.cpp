#include "kiln/input/joystick_inputs.h"

#include <gtest/gtest.h>

#include <set>

namespace Kiln {
namespace {

// The codes that are on in a row.
std::set<int> OnCodes(const JoystickInputRow& row)
{
    std::set<int> on;
    for (int code = 0; code < kJoystickInputCount; ++code) {
        EXPECT_TRUE(row[code] == 0 || row[code] == 1) << "code " << code;
        if (row[code])
            on.insert(code);
    }
    return on;
}

std::set<int> OnFor(const JoystickReading& reading)
{
    return OnCodes(DeriveJoystickInputs(reading));
}

JoystickReading Centred()
{
    JoystickReading r;
    r.pov = 0xFFFFFFFF;
    return r;
}

TEST(JoystickInputsTest, CentredJoystickHasNothingOn)
{
    EXPECT_TRUE(OnFor(Centred()).empty());
}

// Each axis with its (decreasing, increasing) codes; the right stick is read vertical first.
struct AxisCase {
    int32_t JoystickReading::*axis;
    int decreasing;
    int increasing;
};

TEST(JoystickInputsTest, AxisHalvesSwitchStrictlyBeyondFiveHundred)
{
    const AxisCase axes[] = {
        {&JoystickReading::lY, 0x00, 0x01},  {&JoystickReading::lX, 0x02, 0x03},
        {&JoystickReading::lZ, 0x04, 0x05},  {&JoystickReading::lRy, 0x06, 0x07},
        {&JoystickReading::lRx, 0x08, 0x09}, {&JoystickReading::lRz, 0x0A, 0x0B},
    };
    for (const AxisCase& axis : axes) {
        SCOPED_TRACE(axis.decreasing);
        JoystickReading r = Centred();
        for (int32_t value : {-500, -499, 0, 499, 500}) {
            r.*axis.axis = value;
            EXPECT_TRUE(OnFor(r).empty()) << value;
        }
        for (int32_t value : {-501, -1000, INT32_MIN}) {
            r.*axis.axis = value;
            EXPECT_EQ(OnFor(r), std::set<int>{axis.decreasing}) << value;
        }
        for (int32_t value : {501, 1000, INT32_MAX}) {
            r.*axis.axis = value;
            EXPECT_EQ(OnFor(r), std::set<int>{axis.increasing}) << value;
        }
    }
}

TEST(JoystickInputsTest, EightExactHatAnglesGiveDirections)
{
    const struct {
        uint32_t pov;
        std::set<int> on;
    } cases[] = {
        {0, {kPovUp}},
        {4500, {kPovUp, kPovRight}},
        {9000, {kPovRight}},
        {13500, {kPovDown, kPovRight}},
        {18000, {kPovDown}},
        {22500, {kPovDown, kPovLeft}},
        {27000, {kPovLeft}},
        {31500, {kPovUp, kPovLeft}},
    };
    for (const auto& c : cases) {
        JoystickReading r = Centred();
        r.pov = c.pov;
        EXPECT_EQ(OnFor(r), c.on) << c.pov;
    }
}

TEST(JoystickInputsTest, EveryOtherHatValueTurnsThePovOff)
{
    // Centred (all ones, and the 16-bit form some drivers report), angles in between, angles
    // one off the exact values, and a full turn.
    for (uint32_t pov : {0xFFFFFFFFu, 0xFFFFu, 1000u, 1u, 4499u, 4501u, 8999u, 9001u, 35999u, 36000u,
                         45000u, 0x80000000u}) {
        JoystickReading r = Centred();
        r.pov = pov;
        EXPECT_TRUE(OnFor(r).empty()) << pov;
        const PovDirections d = DecodePov(pov);
        EXPECT_FALSE(d.up || d.down || d.left || d.right) << pov;
    }
    // Checked exhaustively over the range a hat reports in.
    int directions = 0;
    for (uint32_t pov = 0; pov <= 36000; ++pov) {
        const PovDirections d = DecodePov(pov);
        if (d.up || d.down || d.left || d.right) {
            EXPECT_EQ(pov % 4500, 0u) << pov;
            ++directions;
        }
    }
    EXPECT_EQ(directions, 8);
}

TEST(JoystickInputsTest, ButtonsAreBitSevenOfTheFirstSixteen)
{
    for (int b = 0; b < kJoystickButtonsRead; ++b) {
        JoystickReading r = Centred();
        r.buttons[b] = 0x80;
        EXPECT_EQ(OnFor(r), std::set<int>{kButton1 + b}) << "button " << b + 1;
        r.buttons[b] = 0x7F;
        EXPECT_TRUE(OnFor(r).empty()) << "button " << b + 1;
        r.buttons[b] = 0xFF;
        EXPECT_EQ(OnFor(r), std::set<int>{kButton1 + b}) << "button " << b + 1;
    }
}

TEST(JoystickInputsTest, EverythingAtOnce)
{
    JoystickReading r;
    r.lX = 1000;
    r.lY = -1000;
    r.lZ = 501;
    r.lRx = -501;
    r.lRy = 501;
    r.lRz = -1000;
    r.pov = 22500;
    r.buttons[0] = 0x80;
    r.buttons[15] = 0x80;
    EXPECT_EQ(OnFor(r), (std::set<int>{0x00, 0x03, 0x05, 0x07, 0x08, 0x0A, kPovDown, kPovLeft, 0x10, 0x1F}));
}

}  // namespace
}  // namespace Kiln
