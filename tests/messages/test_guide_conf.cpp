// The settings and the guide list across a load and an unload of the main
// window.
#include <gtest/gtest.h>

#include <QListWidget>
#include <filesystem>
#include <unistd.h>

#include "app/appicon.h"
#include "app/form1.h"
#include "config/env.h"
#include "headline/headline.h"
#include "platform/core/datetime.h"
#include "platform/ufcom.h"
#include "recorder/recorder.h"
#include "test_support.h"

namespace {

class GuideConfTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        old_ = std::filesystem::current_path();
        std::filesystem::current_path(dir_.path());
        exe_ = QStringLiteral("vlguide%1x%2").arg(::getpid()).arg(counter_++);
        uFCom_Bas::setExeNameForTest(exe_);
        uFCom_Bas::setRecorderWindowProbeForTest([](const QString&) { return false; });
        uFHLabel_Bas::resetForTest();
        platform::setClockSource([]() { return platform::LocalTime{2025, 4, 1, 9, 30, 59, 999}; });
        Form1::setProcessEndHandler([this]() { ++ended_; });
    }
    void TearDown() override
    {
        delete form_;
        Form1::setProcessEndHandler({});
        uFCom_Bas::setRecorderWindowProbeForTest({});
        uFCom_Bas::setExeNameForTest(QString());
        uFCom_Bas::EnvResetForTest();
        platform::setClockSource({});
        std::filesystem::current_path(old_);
    }
    std::string conf() const { return dir_.file(exe_.toStdString() + ".conf"); }
    QString get(const char* section, const QString& key) const
    {
        return uFCom_Bas::ProfileGet(QString::fromStdString(conf()), section, key);
    }
    Form1* load(const std::string& text)
    {
        testsupport::writeFile(conf(), text);
        uFCom_Bas::EnvResetForTest();
        uFCom_Bas::EnvInit("ｳﾞｪﾙﾓﾗ");
        form_ = new Form1;
        form_->Form_Load("ｳﾞｪﾙﾓﾗ [" + exe_ + "]", app::programIcon());
        return form_;
    }

    testsupport::TempDir dir_;
    std::filesystem::path old_;
    QString exe_;
    Form1* form_ = nullptr;
    int ended_ = 0;
    static inline int counter_ = 0;
};

}  // namespace

TEST_F(GuideConfTest, UnloadWritesTheSurvivingGuideEntriesFromZero)
{
    load("[Section_Watch]\r\nWatch_Timer=0,120,0,1,\r\n[Section_Cycle]\r\nCycleItems=4\r\n"
         "CycleItem_000=2025/04/01-09:30,due now,\r\n"
         "CycleItem_001=2025/04/01-12:00,b,v\r\n"
         "CycleItem_002=2025/04/01-09:31,a,\r\n"
         "CycleItem_003=2025/04/02-08:00,c,x,y,\r\n");
    EXPECT_EQ(form_->WatchAutoStart, 1);
    EXPECT_EQ(form_->WatchSeconds, 60);
    EXPECT_EQ(form_->Form_AutoGuide(), 0);
    EXPECT_EQ(form_->WatchPanelShow, 0);
    ASSERT_EQ(form_->List2->count(), 3);
    // Due-time order, whatever the order of the file.
    EXPECT_EQ(form_->List2->item(0)->text(), "2025/04/01-09:31,a,");
    EXPECT_EQ(form_->List2->item(2)->text(), "2025/04/02-08:00,c,x,y,");
    EXPECT_EQ(form_->CycleCount, 3);

    delete form_->List2->takeItem(1);  // fell due during the run
    form_->Form_Unload();
    EXPECT_EQ(ended_, 1);
    EXPECT_EQ(get("Section_Cycle", "CycleItems"), "2");
    EXPECT_EQ(get("Section_Cycle", "CycleItem_000"), "2025/04/01-09:31,a,,");
    EXPECT_EQ(get("Section_Cycle", "CycleItem_001"), "2025/04/02-08:00,c,x,");
    EXPECT_TRUE(get("Section_Cycle", "CycleItem_002").isEmpty());
    EXPECT_TRUE(get("Section_Cycle", "CycleItem_003").isEmpty());
    // The settings are not rewritten by the unload.
    EXPECT_EQ(get("Section_Watch", "Watch_Timer"), "0,120,0,1,");
}

TEST_F(GuideConfTest, UnloadBeforeTheListsLoadedKeepsTheStoredSchedule)
{
    const std::string text = "[Section_Cycle]\r\nCycleItems=1\r\nCycleItem_000=2099/01/01-00:00,keep,\r\n";
    testsupport::writeFile(conf(), text);
    uFCom_Bas::EnvResetForTest();
    uFCom_Bas::EnvInit("ｳﾞｪﾙﾓﾗ");
    form_ = new Form1;
    // The window ends before its load got to the lists (as when its mailslot
    // could not be created).
    form_->Form_Unload();
    EXPECT_EQ(ended_, 1);
    EXPECT_FALSE(form_->listsLoaded());
    EXPECT_EQ(testsupport::readFile(conf()), text);
}

TEST_F(GuideConfTest, AutomaticConfirmationIsWrittenOnlyWhenItChanges)
{
    load("[Section_Watch]\r\nWatch_Timer=1,60,1,0,\r\n");
    const std::string before = testsupport::readFile(conf());
    int same = 1;
    EXPECT_EQ(form_->Form_MyConfWriteAutoGuide(same), 0);
    EXPECT_EQ(testsupport::readFile(conf()), before);
    int off = 0;
    EXPECT_EQ(form_->Form_MyConfWriteAutoGuide(off), 0);
    EXPECT_EQ(get("Section_Watch", "Watch_Timer"), "1,60,0,0,");
    EXPECT_EQ(form_->Form_AutoGuide(), 0);
}
