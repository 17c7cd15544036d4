// CV手動通知 on the real main window: three records framed by the markers,
// or the refusals, with a recorder slot of this test's own.
#include <gtest/gtest.h>

#include <optional>

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "app/form1.h"
#include "core/mailslot.h"
#include "gui/platform/ufcom.h"
#include "model/recorder/recorder.h"
#include "form_fixture.h"
#include "recorder_test_util.h"

namespace {

const QString kOpen = "[ｳﾞｪﾙﾓﾗ]" + QString(37, '-') + ">>強制通知|";
const QString kClose = "[ｳﾞｪﾙﾓﾗ]" + QString(37, '-') + "<<強制通知|";

class ManualNotifyTest : public testsupport::MainWindowTest {
protected:
    ManualNotifyTest() : MainWindowTest("vlmanual") {}
    void TearDown() override
    {
        if (slot_ >= 0) platform::mailslot::HandleClose(slot_);
        if (form_) form_->recorder().close();
        MainWindowTest::TearDown();
    }
    QStringList records()
    {
        QStringList out;
        int n = 0;
        for (QByteArray m = rectest::readOne(slot_, &n); n > 0; m = rectest::readOne(slot_, &n)) {
            const auto r = uFCom_Bas::decodeNotifyRecord(m);
            out << uFCom_Bas::fromAnsi(r.text1) + "|" + uFCom_Bas::fromAnsi(r.text2);
        }
        return out;
    }
    int slot_ = -1;
};

}  // namespace

TEST_F(ManualNotifyTest, ThreeFramedRecordsOrNothing)
{
    if (!rectest::slotsIsolated()) GTEST_SKIP() << "needs its own slot namespace (run as root)";
    ASSERT_TRUE(loadWindow("[Section_Watch]\r\nWatch_Timer=1,60,1,0,\r\n"));
    slot_ = rectest::createRecorderSlot();
    ASSERT_GE(slot_, 0);
    std::optional<testsupport::FakeWindowSearch> recorderWindow(std::in_place, true);
    struct Case {
        QString fixed, variable;
        QStringList sent;
    } cases[] = {
        {"朝礼開始", "", {kOpen, "朝礼開始|", kClose}},
        {" a,b ", "v", {kOpen, "a|v", kClose}},
        {"a", QString(65, 'v'), {kOpen, "a|", kClose}},  // an over-long variable part goes as empty
        {QString(65, 'x'), "v", {}},                      // an over-long fixed part: nothing at all
        {"   ", "v", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fixed.toStdString());
        records();
        type(c.fixed, c.variable);
        lines();
        click(form_->Command1);
        EXPECT_EQ(records(), c.sent);
        EXPECT_TRUE(lines().isEmpty());  // nothing shown on the head line
        EXPECT_EQ(form_->Text1->toPlainText(), c.fixed);  // the inputs stay
    }
    // No recorder: the pink line, nothing sent.
    recorderWindow.reset();  // the fixture's: no recorder
    type("朝礼開始");
    click(form_->Command1);
    EXPECT_EQ(form_->Head_Label[1]->palette().color(QPalette::Window), QColor(255, 128, 128));
    EXPECT_EQ(lines(), QStringList{"[ｳﾞｪﾙﾓﾗ]ｺｰｳﾞｪｲﾝは起動されていません。"});
    EXPECT_TRUE(records().isEmpty());
}
