// The date/time dialog as it opens.
#include <gtest/gtest.h>

#include <QCalendarWidget>
#include <QComboBox>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QCheckBox>
#include <QDateEdit>
#include <QTest>

#include "app/form1.h"
#include "gui/dialogs/dtselect.h"
#include "gui/platform/ufcom.h"
#include "form_fixture.h"

namespace {

class DTSelectTest : public testsupport::MainWindowTest {
protected:
    DTSelectTest() : MainWindowTest("vldtselect"), clock_(QDateTime(QDate(2026, 12, 8), QTime(10, 15, 25))) {}
    testsupport::FakeClock clock_;
    QString key_, var_ = "v";
};

}  // namespace

TEST_F(DTSelectTest, OpensOnTodayAndTheCurrentMinuteInJapanese)
{
    ASSERT_TRUE(loadWindow("[Section_FormStyle]\r\nFormStyle=NOMAL,1,3,8,12,\r\n"));
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const uFCom_Bas::PlaceRecord r = uFCom_Bas::PlaceGet(form_);
    form_->move(form_->x() + 200, form_->y() + 100);  // where it opens does not follow
    DTSelect_Dialog d(form_, {key_, var_, form_->FormKeyMsgHead()});
    QLocale::setDefault(before);

    EXPECT_EQ(d.windowTitle(), "日付時刻選択");
    EXPECT_EQ(d.placedTop(), static_cast<int>(r.top + 0.2 * r.height));
    EXPECT_EQ(d.placedLeft(), static_cast<int>(r.left + 0.1 * r.width));
    EXPECT_EQ(d.MonthView1->selectedDate(), QDate(2026, 12, 8));
    EXPECT_EQ(d.MonthView1->minimumDate(), QDate(2026, 12, 8));
    EXPECT_EQ(d.MonthView1->locale().standaloneMonthName(12), "12月");
    EXPECT_EQ(d.MonthView1->locale().dayName(7, QLocale::NarrowFormat), "日");
    EXPECT_EQ(d.Label1->text(), "ガイダンスする日付、時刻を指定して下さい。\r\n(現在日時より大きくして下さい。)");
    // A variable part alone is not shown.
    EXPECT_TRUE(d.Text1->toPlainText().isEmpty());

    ASSERT_EQ(d.Combo1[0]->count(), 25);
    ASSERT_EQ(d.Combo1[1]->count(), 61);
    EXPECT_EQ(d.Combo1[0]->itemText(0), "");
    EXPECT_EQ(d.Combo1[0]->itemText(24), "23 時");
    EXPECT_EQ(d.Combo1[1]->itemText(60), "59 分");
    EXPECT_EQ(d.Combo1[0]->currentText(), "10 時");
    EXPECT_EQ(d.Combo1[1]->currentText(), "15 分");
}

// 休日は鳴らさない follows the repetition: ticked and greyed for 平日, greyed
// for なし, the operator's for 毎日 and 毎週, and only there part of the choice.
TEST_F(DTSelectTest, TheHolidayBoxFollowsTheRepetition)
{
    ASSERT_TRUE(loadWindow("[Section_FormStyle]\r\nFormStyle=NOMAL,1,3,8,12,\r\n"));
    DTSelect_Dialog d(form_, {"a", "", form_->FormKeyMsgHead()});
    struct Step {
        int repeat;     // 0 なし, 1 毎日, 2 平日, 3 毎週
        bool click;     // the operator clicks the box
        bool enabled, checked;
        bool chosen;    // skipHolidays of the choice
    } steps[] = {
        {0, false, false, false, false},
        {1, false, true, false, false},
        {1, true, true, true, true},
        {2, false, false, true, false},
        {3, false, true, true, true},   // the operator's choice comes back
        {3, true, true, false, false},
        {2, false, false, true, false},
        {0, false, false, false, false},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(std::to_string(s.repeat) + (s.click ? " clicked" : ""));
        d.Combo2->setCurrentIndex(s.repeat);
        if (s.click) QTest::mouseClick(d.Check1, Qt::LeftButton, {}, QPoint(5, d.Check1->height() / 2));
        EXPECT_EQ(d.Check1->isEnabled(), s.enabled);
        EXPECT_EQ(d.Check1->isChecked(), s.checked);
        d.MonthView1->setSelectedDate(QDate(2026, 12, 9));
        d.Command1_Click(0);
        ASSERT_TRUE(d.choice().has_value());
        EXPECT_EQ(d.choice()->skipHolidays, s.chosen);
    }
    EXPECT_EQ(d.Check1->text(), "休日は鳴らさない");
}

// The repetitions name the chosen day and give their rule words; 終了日
// and 予告 go with the choice.
TEST_F(DTSelectTest, RepetitionsFollowTheDayAndTakeAnEndAndANotice)
{
    ASSERT_TRUE(loadWindow("[Section_FormStyle]\r\nFormStyle=NOMAL,1,3,8,12,\r\n"));
    DTSelect_Dialog d(form_, {"a", "", form_->FormKeyMsgHead()});
    d.MonthView1->setSelectedDate(QDate(2027, 1, 22));  // the fourth Friday
    QStringList items;
    for (int i = 0; i < d.Combo2->count(); ++i) items << d.Combo2->itemText(i);
    EXPECT_EQ(items, (QStringList{"なし", "毎日", "平日(月～金)", "毎週(金)", "毎月(22日)", "毎月(末日)", "毎月(第4金)",
                                  "毎月(最終金)", "隔週(金)"}));
    struct Case {
        int item;
        bool end;
        int notice;  // Combo3 position
        QString rule;
        QDate endDay;
        int minutes;
    } cases[] = {
        {0, false, 3, "", QDate(), 5},  // a one-off takes a notice too
        {4, true, 0, "毎月22日", QDate(2027, 3, 31), 0},
        {5, false, 7, "毎月末日", QDate(), 60},
        {6, true, 1, "毎月第4金", QDate(2027, 3, 31), 1},
        {7, false, 0, "毎月最終金", QDate(), 0},
        {8, false, 4, "隔週金", QDate(), 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rule.toStdString());
        d.Combo2->setCurrentIndex(c.item);
        EXPECT_EQ(d.Check2->isEnabled(), c.item > 0) << "an end is a repetition's";
        if (c.end != d.Check2->isChecked() && d.Check2->isEnabled())
            QTest::mouseClick(d.Check2, Qt::LeftButton, {}, QPoint(5, d.Check2->height() / 2));
        EXPECT_EQ(d.Date1->isEnabled(), c.end);
        if (c.end) d.Date1->setDate(QDate(2027, 3, 31));
        d.Combo3->setCurrentIndex(c.notice);
        d.Command1_Click(0);
        ASSERT_TRUE(d.choice().has_value());
        EXPECT_EQ(d.choice()->rule, c.rule);
        EXPECT_EQ(d.choice()->end, c.endDay);
        EXPECT_EQ(d.choice()->notice, c.minutes);
    }
    EXPECT_EQ(d.Combo3->itemText(3), "5 分前");
    // A fifth Friday has no 第N: the item cannot be chosen.
    d.Combo2->setCurrentIndex(6);
    d.MonthView1->setSelectedDate(QDate(2027, 1, 29));
    EXPECT_EQ(d.Combo2->itemText(6), "毎月(第5金)");
    EXPECT_EQ(d.Combo2->currentIndex(), 7);
    EXPECT_EQ(d.Combo2->itemText(7), "毎月(最終金)");
}
