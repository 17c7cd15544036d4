// The seams: a stand-in is in place exactly while it lives, stand-ins nest,
// and the system's own implementation comes back after the last one.
#include <gtest/gtest.h>

#include <optional>

#include "core/datetime.h"
#include "core/instancelock.h"
#include "core/windowsearch.h"
#include "fakes.h"

namespace {

bool same(const platform::LocalTime& a, const platform::LocalTime& b)
{
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour && a.minute == b.minute &&
           a.second == b.second && a.millisecond == b.millisecond;
}

}  // namespace

TEST(Seam, StandInsNestAndTheSystemComesBackAfterTheLast)
{
    const platform::LocalTime outer{2026, 1, 2, 3, 4, 5, 6}, inner{2030, 12, 31, 23, 59, 59, 999};
    ASSERT_EQ(&seam::current<platform::Clock>(), &platform::Clock::system());
    {
        testsupport::StillClock a(outer);
        EXPECT_TRUE(same(platform::localNow(), outer));
        {
            testsupport::StillClock b(inner);
            EXPECT_TRUE(same(platform::localNow(), inner));
        }
        EXPECT_TRUE(same(platform::localNow(), outer)) << "the outer stand-in is back";
    }
    EXPECT_EQ(&seam::current<platform::Clock>(), &platform::Clock::system());
}

TEST(Seam, EachDependencyHasItsOwnStandIn)
{
    // A stand-in for one seam leaves the others to the system.
    std::optional<testsupport::FakeExeName> name(std::in_place, "Renamed");
    EXPECT_EQ(seam::current<platform::ExecutableName>().baseName(), "Renamed");
    EXPECT_EQ(&seam::current<platform::WindowSearch>(), &platform::WindowSearch::system());
    EXPECT_EQ(&seam::current<platform::Clock>(), &platform::Clock::system());
    {
        testsupport::FakeWindowSearch search(true);
        EXPECT_TRUE(seam::current<platform::WindowSearch>().exists("no such caption"));
        EXPECT_EQ(seam::current<platform::ExecutableName>().baseName(), "Renamed");
    }
    name.reset();
    EXPECT_EQ(seam::current<platform::ExecutableName>().baseName(), platform::runningExecutableBaseName());
    EXPECT_EQ(&seam::current<platform::WindowSearch>(), &platform::WindowSearch::system());
}
