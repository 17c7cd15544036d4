// The environment record: where the configuration file lies, the program
// table and the stored window style.
#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "model/config/env.h"
#include "fakes.h"
#include "test_support.h"

using namespace uFCom_Bas;

namespace {

// Runs a test inside a fresh working folder, as the program would be started.
class EnvTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        old_ = std::filesystem::current_path();
        std::filesystem::current_path(dir_.path());
    }
    void TearDown() override
    {
        std::filesystem::current_path(old_);
    }
    void writeConf(const std::string& name, const std::string& formStyle)
    {
        std::string text = "[Section_FormStyle]\r\n";
        if (!formStyle.empty()) text += "FormStyle=" + formStyle + "\r\n";
        testsupport::writeFile(dir_.file(name), text);
    }
    testsupport::TempDir dir_;
    std::filesystem::path old_;
    testsupport::FakeExeName exeName_{"uPVelmora"};
};

}  // namespace

TEST_F(EnvTest, MissingFileOrFolderOfThatNameLeavesTheTableEmpty)
{
    EnvRecord env = EnvInit("ｳﾞｪﾙﾓﾗ");
    EXPECT_EQ(env.ProgCount, 0);
    EXPECT_EQ(ProgIndexGet(env, "uPVelmora"), -1);
    EXPECT_EQ(ProgIndexGet(env, "uPCorvane"), -1);

    std::filesystem::create_directory(dir_.file("uPVelmora.conf"));
    env = EnvInit("ｳﾞｪﾙﾓﾗ");
    EXPECT_EQ(ProgIndexGet(env, "uPVelmora"), -1);
    EXPECT_FALSE(std::filesystem::is_regular_file(dir_.file("uPVelmora.conf")));
}

TEST_F(EnvTest, TableHoldsTheRecorderAndThisProgram)
{
    writeConf("uPVelmora.conf", "");
    const EnvRecord env = EnvInit("ｳﾞｪﾙﾓﾗ");
    EXPECT_EQ(env.ProgCount, 2);
    EXPECT_EQ(env.BasePath, ".");
    EXPECT_EQ(env.ConfDir, "");
    EXPECT_EQ(ProgIndexGet(env, "uPVelmora"), 1);
    EXPECT_EQ(ProgIndexGet(env, "uPCorvane"), 0);
    EXPECT_EQ(ProgIndexGet(env, "UPCORVANE"), -1);  // case matters
    EXPECT_EQ(env.Progs[0].WinCaption, "ｺｰｳﾞｪｲﾝ [uPCorvane]");
    EXPECT_EQ(env.Progs[1].WinCaption, "ｳﾞｪﾙﾓﾗ [uPVelmora]");
    EXPECT_EQ(env.Progs[1].StyleName, "NOMAL");
    EXPECT_EQ(env.Progs[5].FormWidth, 9);
    EXPECT_EQ(env.Progs[5].FormHeight, 13);
    EXPECT_EQ(env.Progs[32].FormWidth, 0);
    EXPECT_EQ(ConfPath(env), ".\\\\uPVelmora.conf");
}

TEST_F(EnvTest, RenamedExecutableLooksForItsOwnFile)
{
    writeConf("uPVelmora.conf", "");
    exeName_.set("Renamed");
    EXPECT_EQ(ProgIndexGet(EnvInit("ｳﾞｪﾙﾓﾗ"), "Renamed"), -1);
    writeConf("Renamed.conf", "MAX,2,2,5,5,");
    const EnvRecord env = EnvInit("ｳﾞｪﾙﾓﾗ");
    ASSERT_EQ(ProgIndexGet(env, "Renamed"), 1);
    EXPECT_EQ(env.Progs[1].WinCaption, "ｳﾞｪﾙﾓﾗ [Renamed]");
    EXPECT_EQ(env.Progs[1].StyleName, "MAX");
}

TEST_F(EnvTest, FormStyleFieldsAreTakenOneByOne)
{
    struct Case {
        std::string value;
        QString style;
        int top, left, width, height;
    } cases[] = {
        {"NOMAL,1,3,8,12,", "NOMAL", 1, 3, 8, 12},
        {"MIN", "MIN", 1, 3, 8, 12},
        {",5", "NOMAL", 5, 3, 8, 12},
        {"MAX,x,2,,7", "MAX", 1, 2, 8, 7},
        {"NOMAL,2.5,3.5,8,12", "NOMAL", 2, 4, 8, 12},
        {"  weird , -4 , 20 ,-1,99,", "weird", -4, 20, -1, 99},  // no range check here
        {"", "NOMAL", 1, 3, 8, 12},
    };
    for (const Case& c : cases) {
        writeConf("uPVelmora.conf", c.value);
        const ProgEntry own = EnvInit("ｳﾞｪﾙﾓﾗ").Progs[1];
        EXPECT_EQ(own.StyleName, c.style) << c.value;
        EXPECT_EQ(own.FormTop, c.top) << c.value;
        EXPECT_EQ(own.FormLeft, c.left) << c.value;
        EXPECT_EQ(own.FormWidth, c.width) << c.value;
        EXPECT_EQ(own.FormHeight, c.height) << c.value;
        // What the program stores for the next start reads back as itself.
        writeConf("uPVelmora.conf", FormStyleValue(own).toStdString());
        const ProgEntry again = EnvInit("ｳﾞｪﾙﾓﾗ").Progs[1];
        EXPECT_EQ(FormStyleValue(again), FormStyleValue(own)) << c.value;
    }
}
