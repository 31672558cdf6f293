#include "kiln/support/event_list.h"

#include <gtest/gtest.h>

namespace Kiln {
namespace {

TEST(EventListTest, MakesTwoManualResetEventsNotSignalled)
{
    CEventList events;
    ASSERT_TRUE(events.IsReady());
    ASSERT_EQ(events.GetCount(), 2);
    HANDLE first = events.GetEvent(0);
    HANDLE second = events.GetEvent(1);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(events.GetEvent(2), nullptr);
    EXPECT_EQ(events.GetEvent(-1), nullptr);

    EXPECT_EQ(::WaitForSingleObject(first, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    ::SetEvent(first);
    // manual reset: a satisfied wait leaves the event signalled
    EXPECT_EQ(::WaitForSingleObject(first, 0), WAIT_OBJECT_0);
    EXPECT_EQ(::WaitForSingleObject(first, 0), WAIT_OBJECT_0);
    EXPECT_EQ(::WaitForSingleObject(second, 0), static_cast<DWORD>(WAIT_TIMEOUT));
}

TEST(EventListTest, DestructionClosesTheHandles)
{
    HANDLE kept = nullptr;
    HANDLE owned[2] = {};
    DWORD flags = 0;
    {
        CEventList events;
        ASSERT_TRUE(events.IsReady());
        owned[0] = events.GetEvent(0);
        owned[1] = events.GetEvent(1);
        ASSERT_TRUE(::DuplicateHandle(::GetCurrentProcess(), owned[0], ::GetCurrentProcess(), &kept, 0, FALSE,
                                      DUPLICATE_SAME_ACCESS));
        EXPECT_TRUE(::GetHandleInformation(owned[1], &flags));
    }
    EXPECT_FALSE(::GetHandleInformation(owned[0], &flags));
    EXPECT_FALSE(::GetHandleInformation(owned[1], &flags));
    // the event itself lives on through the duplicate
    EXPECT_TRUE(::SetEvent(kept));
    ::CloseHandle(kept);
}

}  // namespace
}  // namespace Kiln
