// The settings and the guide list across a load and an unload of the main
// window.
#include <gtest/gtest.h>

#include <QListWidget>
#include <filesystem>
#include <unistd.h>

#include "gui/platform/appicon.h"
#include "app/form1.h"
#include "model/config/env.h"
#include "gui/headline/headline.h"
#include "core/datetime.h"
#include "gui/platform/ufcom.h"
#include "model/recorder/recorder.h"
#include "form_fixture.h"
#include "test_support.h"

namespace {

class GuideConfTest : public testsupport::MainWindowTest {
protected:
    GuideConfTest() : MainWindowTest("vlguide") {}
    Form1* load(const std::string& text)
    {
        loadWindow(text);
        return form_;
    }
    testsupport::StillClock clock_{platform::LocalTime{2025, 4, 1, 9, 30, 59, 999}};
};

}  // namespace

TEST_F(GuideConfTest, UnloadWritesTheSurvivingGuideEntriesFromZero)
{
    load("[Section_Watch]\r\nWatch_Timer=0,120,0,1,\r\n[Section_Cycle]\r\nCycleItems=4\r\n"
         "CycleItem_000=2025/04/01-09:30,due now,\r\n"
         "CycleItem_001=2025/04/01-12:00,b,v\r\n"
         "CycleItem_002=2025/04/01-09:31,a,\r\n"
         "CycleItem_003=2025/04/02-08:00,c,x,y,\r\n");
    EXPECT_EQ(form_->conf().watch().WatchAutoStart, 1);
    EXPECT_EQ(form_->conf().watch().WatchSeconds, 60);
    EXPECT_EQ(form_->Form_AutoGuide(), 0);
    EXPECT_EQ(form_->conf().watch().WatchPanelShow, 0);
    ASSERT_EQ(form_->List2->count(), 3);
    // Due-time order, whatever the order of the file.
    EXPECT_EQ(form_->List2->item(0)->text(), "2025/04/01-09:31,a,");
    EXPECT_EQ(form_->List2->item(2)->text(), "2025/04/02-08:00,c,x,y,");
    EXPECT_EQ(form_->conf().CycleCount(), 3);

    // Fell due during the run.
    form_->conf().schedule().remove(form_->conf().schedule().entries().at(1).trimmed(), {});
    ASSERT_EQ(form_->List2->count(), 2) << "the list follows its collection";
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
    form_ = new Form1(uFCom_Bas::EnvInit("ｳﾞｪﾙﾓﾗ"));
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
