// 繰り返し設定 and 休日設定 from the menu, on the real main window: the rules
// with their next occurrences, 変更, 次回のみ休止, 停止 / 再開, 削除, the
// preview, the calendar's closing periods, and the marks in the guide list
// and the date/time dialog's calendar.
#include <gtest/gtest.h>

#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTextCharFormat>

#include "app/form1.h"
#include "form_fixture.h"
#include "gui/dialogs/dtselect.h"
#include "gui/dialogs/holidayset.h"
#include "gui/dialogs/msgbox.h"
#include "gui/dialogs/repeatset.h"
#include "gui/platform/ufcom.h"
#include "test_support.h"

namespace {

const QString kHead = QStringLiteral("[ｳﾞｪﾙﾓﾗ]");

class RulesDialogTest : public testsupport::MainWindowTest {
protected:
    // 2026/12/24 is a Thursday.
    RulesDialogTest() : MainWindowTest("vlrules"), clock_(QDateTime(QDate(2026, 12, 24), QTime(10, 0, 0))) {}

    void load(const QStringList& guide, const QStringList& rules, const QString& calendar = QString())
    {
        QString text = "[Section_Entry]\r\nEntryItems=1\r\nEntryItem_000=a,\r\n[Section_Cycle]\r\nCycleItems=" +
                       QString::number(guide.size()) + "\r\n";
        for (int i = 0; i < guide.size(); ++i) text += QStringLiteral("CycleItem_%1=%2\r\n").arg(i, 3, 10, QChar('0')).arg(guide[i]);
        text += "[Section_Repeat]\r\nRepeatItems=" + QString::number(rules.size()) + "\r\n";
        for (int i = 0; i < rules.size(); ++i) text += QStringLiteral("RepeatItem_%1=%2\r\n").arg(i, 3, 10, QChar('0')).arg(rules[i]);
        if (!calendar.isEmpty()) text += "[Section_Calendar]\r\n" + calendar;
        ASSERT_TRUE(loadWindow(uFCom_Bas::toAnsi(text).toStdString()));
        lines();
    }
    // Opens 繰り返し設定 and runs fn on it; the dialog is closed afterwards.
    void withRules(const std::function<void(RepeatSet_Dialog*)>& fn)
    {
        testsupport::answerNextModal([&](QWidget* w) {
            auto* d = qobject_cast<RepeatSet_Dialog*>(w);
            ASSERT_NE(d, nullptr);
            fn(d);
            d->Command2->click();
        });
        form_->menu_repeat->trigger();
    }
    void withCalendar(const std::function<void(Holiday_Dialog*)>& fn)
    {
        testsupport::answerNextModal([&](QWidget* w) {
            auto* d = qobject_cast<Holiday_Dialog*>(w);
            ASSERT_NE(d, nullptr);
            fn(d);
            d->Command3->click();
        });
        form_->menu_holiday->trigger();
    }
    QStringList guide() const { return items(form_->List2); }

    testsupport::FakeClock clock_;
};

}  // namespace

TEST_F(RulesDialogTest, EveryRuleIsListedWithItsNextOccurrence)
{
    load({}, {"平日,08:30,朝礼,会議室A,", "毎週金,17:00,終業,,", "毎日,12:00,昼,,休日=除く,", "毎週水,15:00,清掃,,停止,",
              "毎日,09:00,点呼,,"},
         "ClosedItems=1\r\nClosedItem_000=2026/12/25,2026/12/25,臨時休業,\r\n");
    withRules([&](RepeatSet_Dialog* d) {
        EXPECT_EQ(d->windowTitle(), "繰り返し設定");
        EXPECT_EQ(column(d->Table1, RepeatSet_Dialog::ColRule), (QStringList{"平日", "毎週金", "毎日", "毎週水", "毎日"}));
        EXPECT_EQ(column(d->Table1, RepeatSet_Dialog::ColTime), (QStringList{"08:30", "17:00", "12:00", "15:00", "09:00"}));
        EXPECT_EQ(column(d->Table1, RepeatSet_Dialog::ColFixed), (QStringList{"朝礼", "終業", "昼", "清掃", "点呼"}));
        EXPECT_EQ(column(d->Table1, RepeatSet_Dialog::ColVariable), (QStringList{"会議室A", "", "", "", ""}));
        EXPECT_EQ(column(d->Table1, RepeatSet_Dialog::ColHoliday), (QStringList{"除く", "", "除く", "", ""}));
        // The 25th is closed: 平日 passes over it; 毎週金 announces on it.
        EXPECT_EQ(column(d->Table1, RepeatSet_Dialog::ColNext),
                  (QStringList{"休日のため見送り 2026/12/25(金)", "2026/12/25(金) 17:00", "2026/12/24(木) 12:00", "停止中",
                               "2026/12/25(金) 09:00"}));
    });
}

TEST_F(RulesDialogTest, ChangeSkipPauseResumeAndDeleteARule)
{
    load({"2026/12/25-09:00,a,,"}, {"毎日,09:00,点呼,,"});
    ASSERT_EQ(guide(), (QStringList{"2026/12/25-09:00,a,,", "2026/12/25-09:00,点呼,"}));

    // 変更: 毎日 into 平日 at 08:30 through the date/time dialog, which opens
    // on the rule's next occurrence; one rule, its occurrence placed again.
    withRules([&](RepeatSet_Dialog* d) {
        d->Table1->selectRow(0);
        testsupport::answerNextModal([](QWidget* w) {
            auto* dt = qobject_cast<DTSelect_Dialog*>(w);
            ASSERT_NE(dt, nullptr);
            EXPECT_EQ(dt->MonthView1->selectedDate(), QDate(2026, 12, 25));
            EXPECT_EQ(dt->Combo1[0]->currentText(), "09 時");
            EXPECT_EQ(dt->Combo2->currentIndex(), 1);
            dt->Combo2->setCurrentIndex(2);
            dt->Combo1[0]->setCurrentIndex(9);   // 08 時
            dt->Combo1[1]->setCurrentIndex(31);  // 30 分
            dt->Command1[0]->click();
        });
        d->Command1[0]->click();
        EXPECT_EQ(column(d->Table1, RepeatSet_Dialog::ColRule), QStringList{"平日"});
    });
    EXPECT_EQ(lines(), QStringList{kHead + "繰り返しを変更しました。"});
    EXPECT_EQ(get("Section_Repeat", "RepeatItems"), "1");
    EXPECT_EQ(get("Section_Repeat", "RepeatItem_000"), "平日,08:30,点呼,,");
    EXPECT_EQ(guide(), (QStringList{"2026/12/25-08:30,点呼,", "2026/12/25-09:00,a,,"}));

    // 次回のみ休止: the one after the next is listed, and 休止= written.
    withRules([&](RepeatSet_Dialog* d) {
        d->Table1->selectRow(0);
        d->Command1[1]->click();
        EXPECT_EQ(column(d->Table1, RepeatSet_Dialog::ColNext), QStringList{"2026/12/28(月) 08:30"});
        EXPECT_EQ(d->List1->item(0)->text(), "2026/12/25(金) 08:30　休止");
    });
    EXPECT_EQ(lines(), QStringList{kHead + "次回の繰り返しを休止しました。"});
    EXPECT_EQ(get("Section_Repeat", "RepeatItem_000"), "平日,08:30,点呼,,休止=2026/12/25-08:30,");
    EXPECT_EQ(guide(), (QStringList{"2026/12/25-09:00,a,,", "2026/12/28-08:30,点呼,"}));

    // 停止 takes the listed occurrence away; 再開 puts it back.
    withRules([&](RepeatSet_Dialog* d) {
        d->Table1->selectRow(0);
        EXPECT_EQ(d->Command1[2]->text(), "停止");
        d->Command1[2]->click();
        EXPECT_EQ(column(d->Table1, RepeatSet_Dialog::ColNext), QStringList{"停止中"});
        EXPECT_EQ(d->Command1[2]->text(), "再開");
        EXPECT_TRUE(d->List1->count() == 0);
    });
    EXPECT_EQ(lines(), QStringList{kHead + "繰り返しを停止しました。"});
    EXPECT_EQ(guide(), QStringList{"2026/12/25-09:00,a,,"});
    EXPECT_TRUE(get("Section_Repeat", "RepeatItem_000").contains("停止"));
    withRules([&](RepeatSet_Dialog* d) {
        d->Table1->selectRow(0);
        d->Command1[2]->click();
    });
    EXPECT_EQ(lines(), QStringList{kHead + "繰り返しを再開しました。"});
    EXPECT_EQ(guide(), (QStringList{"2026/12/25-09:00,a,,", "2026/12/28-08:30,点呼,"}));

    // 削除 asks; ｷｬﾝｾﾙ keeps it, OK takes the rule and its occurrence.
    for (bool ok : {false, true}) {
        withRules([&](RepeatSet_Dialog* d) {
            d->Table1->selectRow(0);
            answer(ok);
            d->Command1[3]->click();
        });
        EXPECT_EQ(question_.replace("\r\n", "\n"),
                  "削除確認|指定されたｶﾞｲﾄﾞ部ﾒｯｾｰｼﾞを削除します。\n\nよろしいですか？\n\n[ｶﾞｲﾄﾞﾒｯｾｰｼﾞ]\n"
                  "2026/12/28-08:30\n点呼\n\n\nこの繰り返しも削除します。");
    }
    EXPECT_EQ(lines(), QStringList{kHead + "ｶﾞｲﾄﾞ部ﾒｯｾｰｼﾞから削除されました。"});
    EXPECT_EQ(get("Section_Repeat", "RepeatItems"), "0");
    EXPECT_EQ(guide(), QStringList{"2026/12/25-09:00,a,,"});
}

// The preview: the next 14 announcing occurrences, and between them the
// days passed over with the holiday's or the closing period's name.
TEST_F(RulesDialogTest, ThePreviewNamesWhatItPassesOver)
{
    load({}, {"平日,09:00,朝礼,,"}, "ClosedItems=1\r\nClosedItem_000=2026/12/29,2027/01/03,年末年始,\r\n");
    withRules([&](RepeatSet_Dialog* d) {
        d->Table1->selectRow(0);
        QStringList passed, announced;
        for (const QString& t : items(d->List1)) (t.contains("　") ? passed : announced) << t;
        EXPECT_EQ(announced.size(), 14);
        EXPECT_EQ(announced.first(), "2026/12/25(金) 09:00");
        EXPECT_EQ(passed, (QStringList{"2026/12/29(火) 09:00　年末年始", "2026/12/30(水) 09:00　年末年始",
                                       "2026/12/31(木) 09:00　年末年始", "2027/01/01(金) 09:00　元日",
                                       "2027/01/11(月) 09:00　成人の日"}));
    });
}

// A closing period added in 休日設定 moves the rules' occurrences at once,
// its removal moves them back; each change is saved and said.
TEST_F(RulesDialogTest, TheCalendarDialogAddsAndRemovesAClosingPeriod)
{
    load({"2026/12/25-10:00,hand,,"}, {"平日,09:00,朝礼,,"});
    EXPECT_TRUE(get("Section_Calendar", "NationalHoliday").isEmpty()) << "not written before a change";
    withCalendar([&](Holiday_Dialog* d) {
        EXPECT_EQ(d->windowTitle(), "休日設定");
        EXPECT_TRUE(d->Check1->isChecked());
        EXPECT_EQ(d->Check1->text(), "国民の祝日を休日にする");
        EXPECT_TRUE(items(d->List1).contains("2026/11/23(月) 勤労感謝の日"));
        EXPECT_TRUE(items(d->List1).contains("2027/03/22(月) 休日"));
        d->Date1[0]->setDate(QDate(2026, 12, 25));
        d->Date1[1]->setDate(QDate(2027, 1, 3));
        d->Text1->setText("年末年始");
        d->Command1[0]->click();
        EXPECT_EQ(items(d->List2), QStringList{"2026/12/25(金)～2027/01/03(日) 年末年始"});
    });
    EXPECT_EQ(lines(), QStringList{kHead + "休日設定を変更しました。"});
    EXPECT_EQ(get("Section_Calendar", "ClosedItem_000"), "2026/12/25,2027/01/03,年末年始,");
    EXPECT_EQ(get("Section_Calendar", "NationalHoliday"), "1");
    // The rule's occurrence moved; the entry by hand on the 25th stays.
    EXPECT_EQ(guide(), (QStringList{"2026/12/25-10:00,hand,,", "2027/01/04-09:00,朝礼,"}));
    EXPECT_EQ(get("Section_Cycle", "CycleItem_001"), "2027/01/04-09:00,朝礼,,繰り返し,");

    withCalendar([&](Holiday_Dialog* d) {
        d->List2->setCurrentRow(0);
        d->Command1[1]->click();
        EXPECT_EQ(d->List2->count(), 0);
    });
    EXPECT_EQ(lines(), QStringList{kHead + "休日設定を変更しました。"});
    EXPECT_EQ(get("Section_Calendar", "ClosedItems"), "0");
    EXPECT_EQ(guide(), (QStringList{"2026/12/25-09:00,朝礼,", "2026/12/25-10:00,hand,,"}));
}

// In the guide list a rule's occurrence carries the repeat icon, a one-off
// entry none, and the text is the same; the date/time dialog's calendar
// shows 休日 in red with their names, and 毎週 names the chosen weekday.
TEST_F(RulesDialogTest, MarksInTheListAndTheCalendar)
{
    load({"2026/12/25-10:00,hand,,"}, {"毎日,09:00,点呼,,"},
         "ClosedItems=1\r\nClosedItem_000=2026/12/29,2026/12/30,棚卸,\r\n");
    ASSERT_EQ(guide(), (QStringList{"2026/12/25-09:00,点呼,", "2026/12/25-10:00,hand,,"}));
    EXPECT_FALSE(form_->List2->item(0)->icon().isNull());
    EXPECT_TRUE(form_->List2->item(1)->icon().isNull());

    type("a");
    testsupport::answerNextModal([](QWidget* w) {
        auto* dt = qobject_cast<DTSelect_Dialog*>(w);
        ASSERT_NE(dt, nullptr);
        const QTextCharFormat closed = dt->MonthView1->dateTextFormat(QDate(2026, 12, 29));
        EXPECT_EQ(closed.foreground().color(), QColor(255, 0, 0));
        EXPECT_EQ(closed.toolTip(), "棚卸");
        EXPECT_EQ(dt->MonthView1->dateTextFormat(QDate(2027, 1, 1)).toolTip(), "元日");
        EXPECT_NE(dt->MonthView1->dateTextFormat(QDate(2026, 12, 28)).foreground().color(), QColor(255, 0, 0));
        EXPECT_EQ(dt->Combo2->itemText(3), "毎週(木)");
        dt->MonthView1->setSelectedDate(QDate(2026, 12, 30));
        EXPECT_EQ(dt->Combo2->itemText(3), "毎週(水)");
        dt->Command1[1]->click();
    });
    click(form_->Command3[0]);
}
