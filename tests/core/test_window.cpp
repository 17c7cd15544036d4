// The recorder is found by the exact caption of another process's window.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "os.h"
#include "peer.h"
#include "core/windowsearch.h"

using contract::Peer;

namespace {
bool foundWithin(const std::string& caption, bool wanted, int ms)
{
    return contract::pollUntil([&]() { return platform::windowExists(caption) == wanted; }, ms, 20);
}
}  // namespace

TEST(WindowContract, AnotherProcessWindowIsFoundByItsExactCaption)
{
    std::string why;
    if (!contract::windowSystemReady(why)) {
        if (std::getenv("VELMORA_REQUIRE_ACP932")) FAIL() << why;
        GTEST_SKIP() << why;
    }
    const std::string tag = std::to_string(contract::processId());
    const std::string caption = "ｺｰｳﾞｪｲﾝ [uPCorvane" + tag + "]";
    const std::string dir = contract::scratchDir();
    contract::writeFile(dir + "/caption", caption);
    Peer window({"window", dir + "/caption", dir + "/ready"});
    ASSERT_TRUE(window.started());
    ASSERT_TRUE(contract::waitForFile(dir + "/ready", 20000));

    EXPECT_TRUE(foundWithin(caption, true, 2000));
    struct Row {
        std::string caption;
        const char* what;
    };
    const Row misses[] = {
        {caption + " ", "a trailing space"},
        {caption.substr(0, caption.size() - 1), "a prefix"},
        {"ｺｰｳﾞｪｲﾝ [upcorvane" + tag + "]", "other letter case"},
        {"コーヴェイン [uPCorvane" + tag + "]", "full-width kana"},
    };
    for (const Row& r : misses) {
        EXPECT_FALSE(platform::windowExists(r.caption)) << r.what;
    }

    window.kill();
    EXPECT_TRUE(foundWithin(caption, false, 2000)) << "a window that is gone is not found";
}
