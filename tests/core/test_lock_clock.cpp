// The previous-instance test across processes, and the wall clock.
#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "os.h"
#include "peer.h"
#include "core/datetime.h"
#include "core/instancelock.h"

using contract::Peer;

TEST(LockContract, HeldByAnotherProcessUntilItIsKilled)
{
    const std::string dir = contract::scratchDir();
    const std::string exe = dir + "/uPVelmora.exe", other = dir + "/uPOther.exe";
    Peer holder({"hold-lock", exe, dir + "/ready"});
    ASSERT_TRUE(holder.started());
    ASSERT_TRUE(contract::waitForFile(dir + "/ready", 20000));

    platform::InstanceLock mine, unrelated;
    EXPECT_FALSE(mine.acquire(exe)) << "a second copy of the same program is refused";
    EXPECT_TRUE(unrelated.acquire(other)) << "another program is not";
    holder.kill();
    EXPECT_TRUE(mine.acquire(exe)) << "a killed copy never blocks the next start";

    platform::InstanceLock again;
    EXPECT_FALSE(again.acquire(exe)) << "also within one process";
    mine.release();
    EXPECT_TRUE(again.acquire(exe));
}

TEST(ClockContract, LocalTimeIsTheSystemsWithMilliseconds)
{
    const platform::LocalTime before = platform::localNow();
    const std::time_t now = std::time(nullptr);
    const std::tm c = *std::localtime(&now);
    platform::LocalTime lib;
    lib.year = c.tm_year + 1900;
    lib.month = c.tm_mon + 1;
    lib.day = c.tm_mday;
    lib.hour = c.tm_hour;
    lib.minute = c.tm_min;
    lib.second = c.tm_sec;
    const long long gap = platform::localMillis(before) - platform::localMillis(lib);
    EXPECT_GT(gap, -2000);
    EXPECT_LT(gap, 2000) << platform::displayText(before);

    // The first reading that differs: a clock of whole seconds steps by a
    // whole second, one with milliseconds by less.
    platform::LocalTime after = platform::localNow();
    for (int polls = 0; polls < 5000 && platform::localMillis(after) == platform::localMillis(before); ++polls) {
        contract::sleepMs(1);
        after = platform::localNow();
    }
    const long long step = platform::localMillis(after) - platform::localMillis(before);
    EXPECT_GT(step, 0);
    EXPECT_LT(step, 1000) << "milliseconds are real, not whole seconds";
    std::string display;
    const std::string stamp = platform::DateTimeText(display);
    EXPECT_EQ(stamp.size(), 17u);
    EXPECT_EQ(display.size(), 23u);
}
