// The guide list's controller on its own controls, without the main window:
// it reads the inputs, asks through the real dialogs, calls the schedule's
// operations and shows what they did, and never a success the save did not
// bring to disk.
#include <gtest/gtest.h>

#include <QCalendarWidget>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

#include "fakes.h"
#include "gui/dialogs/dtselect.h"
#include "gui/dialogs/msgbox.h"
#include "gui/headline/headline.h"
#include "gui/messages/guidelist.h"
#include "gui/messages/msgrules.h"
#include "gui/platform/textbox.h"
#include "gui/platform/timer.h"
#include "gui_fakes.h"
#include "model/messages/statustexts.h"
#include "schedule_fakes.h"
#include "test_support.h"

using namespace uFMsg;

namespace {

const QString kHead = QStringLiteral("[ｳﾞｪﾙﾓﾗ]");

// The controls the controller works on, a head line, and the schedule.
class GuideListControllerTest : public ::testing::Test {
protected:
    GuideListControllerTest()
    {
        for (QWidget* w : std::initializer_list<QWidget*>{&text1, &text2, &text3, &list1, &list2, &dummy, &label,
                                                          &history, &measure})
            w->setParent(&form);
        timer = new uFCom_Bas::Timer(&form);
        line = new uFHLabel_Bas::HeadLine(&form, {&label, &history, &measure, timer});
        ListFollow(&list2, schedule.entries());
        entries.insertSorted(QStringLiteral("朝礼"));
    }
    ~GuideListControllerTest() override
    {
        for (QWidget* w : std::initializer_list<QWidget*>{&text1, &text2, &text3, &list1, &list2, &dummy, &label,
                                                          &history, &measure})
            w->setParent(nullptr);
    }
    // The line the head line shows, without its stamp.
    QString shown() const { return line->shownLine().mid(line->shownLine().indexOf(']') + 1); }
    // Answers the date/time dialog with a minute of 2026/12/08 (hour and
    // minute list positions) and a repetition; after runs once it closed.
    void choose(int hourPos, int minutePos, int repeat = 0, std::function<void()> after = {})
    {
        testsupport::answerNextModal([=](QWidget* w) {
            auto* d = qobject_cast<DTSelect_Dialog*>(w);
            ASSERT_NE(d, nullptr);
            d->MonthView1->setSelectedDate(QDate(2026, 12, 8));
            d->Combo1[0]->setCurrentIndex(hourPos);
            d->Combo1[1]->setCurrentIndex(minutePos);
            d->Combo2->setCurrentIndex(repeat);
            d->Command1[0]->click();
            if (after) after();
        });
    }
    void registerTyped(const QString& fixed)
    {
        text1.setPlainText(fixed);
        controller.Register();
    }

    platform::LocalTime now_{2026, 12, 8, 10, 15, 25, 0};
    testsupport::FunctionClock clock_{[this]() { return now_; }};
    testsupport::FakeAnswerer answerer_;
    QWidget form;
    QPlainTextEdit text1, text2, text3;
    QListWidget list1, list2;
    QLineEdit dummy;
    QLabel label, measure;
    QComboBox history;
    uFCom_Bas::Timer* timer = nullptr;
    uFHLabel_Bas::HeadLine* line = nullptr;
    testsupport::CountingStore store;
    FixedFormEntries entries;
    Schedule schedule{&store};
    GuideList controller{{&form, &text1, &text2, &text3, &list1, &list2, &dummy},
                         &entries,
                         &schedule,
                         {[]() { return kHead; }, [](int key) { return kHead + StatusText(key); }}};
};

}  // namespace

TEST_F(GuideListControllerTest, EachOutcomeOfTheScheduleEndsInItsLine)
{
    struct Case {
        const char* what;
        int hourPos, minutePos;
        bool saves;           // the store takes the save
        bool minutePasses;    // the clock passes the minute after 設定
        QString line;         // shown afterwards ("" none)
        int listed;
    } cases[] = {
        {"added", 12, 1, true, false, kHead + "ｶﾞｲﾄﾞ部ﾒｯｾｰｼﾞに登録されました。", 1},
        {"the same again: nothing said", 12, 1, true, false, "", 1},
        {"a save that fails: no success line", 12, 2, false, false, "", 2},
        {"the minute passed while the dialog closed", 11, 17, true, true, kHead + kDueTimeRefused, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        store.ok = c.saves;
        now_ = platform::LocalTime{2026, 12, 8, 10, 15, 25, 0};
        choose(c.hourPos, c.minutePos, 0, [&]() {
            if (c.minutePasses) now_ = platform::LocalTime{2026, 12, 8, 10, 16, 0, 5};
        });
        line->show(uFHLabel_Bas::HeadMode::Clear, -1, QString(), QString());
        registerTyped(QStringLiteral("朝礼"));
        EXPECT_EQ(shown(), c.line);
        EXPECT_EQ(schedule.entries().size(), c.listed);
        EXPECT_EQ(list2.count(), c.listed) << "the widget follows the schedule";
        // Taken from the fixed-form list, the inputs are tidied.
        EXPECT_TRUE(text1.toPlainText().isEmpty());
    }
}

TEST_F(GuideListControllerTest, DetailsAndTheDeleteQuestionNameEveryRuleOfTheEntry)
{
    for (int repeat : {1, 2}) {
        choose(12, 1, repeat);
        registerTyped(QStringLiteral("朝礼"));
    }
    list2.setCurrentRow(0);
    controller.Details();
    EXPECT_EQ(text3.toPlainText(), "2026/12/08-11:00\n朝礼\n繰り返し：毎日\n繰り返し：平日\n");

    QString question;
    answerer_.next([&](MsgBox_Dialog& box) {
        question = box.windowTitle() + "|" + uFCom_Bas::TextBoxText(box.Text1);
        return -1;
    });
    list2.setCurrentRow(0);
    controller.Delete();
    EXPECT_EQ(question.replace("\r\n", "\n"),
              "削除確認|指定されたｶﾞｲﾄﾞ部ﾒｯｾｰｼﾞを削除します。\n\nよろしいですか？\n\n[ｶﾞｲﾄﾞﾒｯｾｰｼﾞ]\n"
              "2026/12/08-11:00\n朝礼\n\n\nこの繰り返しも削除します。");
    EXPECT_EQ(schedule.rules().size(), 2) << "ｷｬﾝｾﾙ keeps them";
    answerer_.next([](MsgBox_Dialog&) { return 1; });
    list2.setCurrentRow(0);
    controller.Delete();
    EXPECT_TRUE(schedule.rules().isEmpty());
    EXPECT_EQ(list2.count(), 0);
    EXPECT_EQ(shown(), kHead + "ｶﾞｲﾄﾞ部ﾒｯｾｰｼﾞから削除されました。");
}
