// The guide list on the real main window: registration through the
// date/time dialog, delete, delete all, details, and the file after each.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "app/form1.h"
#include "model/config/myconf.h"
#include "gui/dialogs/dtselect.h"
#include "gui/dialogs/msgbox.h"
#include "gui/monitor/monitor.h"
#include "gui/platform/ufcom.h"
#include "form_fixture.h"
#include "test_support.h"

namespace {

const QString kHead = QStringLiteral("[ｳﾞｪﾙﾓﾗ]");
const QString kAdded = kHead + "ｶﾞｲﾄﾞ部ﾒｯｾｰｼﾞに登録されました。";
const QString kFull = kHead + "ｶﾞｲﾄﾞ部ﾒｯｾｰｼﾞに登録できません。最大登録数[100]を超えます。";
const QString kDeleted = kHead + "ｶﾞｲﾄﾞ部ﾒｯｾｰｼﾞから削除されました。";
const QString kCleared = kHead + "ｶﾞｲﾄﾞ部ﾒｯｾｰｼﾞを全て削除しました。";
const QString kRefused = kHead + "設定日時が現在日時より小さいです。";

enum class Press { Set, Back, CloseBox };

class GuideListTest : public testsupport::MainWindowTest {
protected:
    GuideListTest() : MainWindowTest("vlguidelist"), clock_(QDateTime(QDate(2026, 12, 8), QTime(10, 15, 25))) {}

    // A window over a file with these fixed-form and guide entries.
    void load(const QStringList& fixed, const QStringList& guide, const QStringList& repeats = {})
    {
        QString text = "[Section_Entry]\r\nEntryItems=" + QString::number(fixed.size()) + "\r\n";
        for (int i = 0; i < fixed.size(); ++i) text += QStringLiteral("EntryItem_%1=%2,\r\n").arg(i, 3, 10, QChar('0')).arg(fixed[i]);
        text += "[Section_Cycle]\r\nCycleItems=" + QString::number(guide.size()) + "\r\n";
        for (int i = 0; i < guide.size(); ++i) text += QStringLiteral("CycleItem_%1=%2\r\n").arg(i, 3, 10, QChar('0')).arg(guide[i]);
        if (!repeats.isEmpty()) text += "[Section_Repeat]\r\nRepeatItems=" + QString::number(repeats.size()) + "\r\n";
        for (int i = 0; i < repeats.size(); ++i) text += QStringLiteral("RepeatItem_%1=%2\r\n").arg(i, 3, 10, QChar('0')).arg(repeats[i]);
        ASSERT_TRUE(loadWindow(uFCom_Bas::toAnsi(text).toStdString()));
        form_->show();
        loadLines_ = lines();
    }
    QStringList guide() const
    {
        QStringList out;
        for (int i = 0; i < form_->List2->count(); ++i) out << form_->List2->item(i)->text();
        return out;
    }
    // As the file stores list texts.
    static QStringList asStored(const QStringList& texts)
    {
        QStringList out;
        for (const QString& t : texts) out << uFConf::CycleValue(t);
        return out;
    }
    // As the file stores occurrences a rule put in: marked.
    static QStringList asOccurrences(const QStringList& texts)
    {
        QStringList out;
        for (const QString& t : texts) out << uFConf::CycleValue(t) + "繰り返し,";
        return out;
    }
    QStringList stored(const char* section = "Section_Cycle", const char* stem = "CycleItem_") const
    {
        QStringList out;
        for (int i = 0; i < 100; ++i) {
            const QString v = uFCom_Bas::ProfileGet(confQ(), section, stem + QStringLiteral("%1").arg(i, 3, 10, QChar('0')));
            if (v.isEmpty()) break;
            out << v;
        }
        return out;
    }
    // Answers the date/time dialog with a day, an hour and a minute list
    // position (0 = the empty entry), then presses a button or closes it;
    // during runs inside the dialog before the answer.
    void schedule(QDate day, int hourPos, int minutePos, Press how, std::function<void()> during = {}, int repeat = 0)
    {
        testsupport::answerNextModal([=, this](QWidget* w) {
            auto* d = qobject_cast<DTSelect_Dialog*>(w);
            ASSERT_NE(d, nullptr);
            seen_ = d->Text1->toPlainText();
            if (during) during();
            d->MonthView1->setSelectedDate(day);
            d->Combo1[0]->setCurrentIndex(hourPos);
            d->Combo1[1]->setCurrentIndex(minutePos);
            d->Combo2->setCurrentIndex(repeat);
            if (tickHolidays_) d->Check1->click();
            if (how == Press::Set) click(d->Command1[0]);
            if (how == Press::Back) click(d->Command1[1]);
            if (how == Press::CloseBox) d->close();
            stillOpen_ = d->isVisible();
            if (stillOpen_) click(d->Command1[1]);
        });
    }
    static QDate today() { return QDate(2026, 12, 8); }

    testsupport::FakeClock clock_;
    // 休日は鳴らさない is clicked in the dialog.
    bool tickHolidays_ = false;
    QString seen_;
    bool stillOpen_ = false;
    QStringList loadLines_;  // the status lines of the load
};

}  // namespace

TEST_F(GuideListTest, RegisterThroughTheDialog)
{
    QStringList hundred;
    for (int i = 0; i < 100; ++i)
        hundred << QStringLiteral("2026/12/09-%1:%2,m,").arg(10 + i / 60).arg(i % 60, 2, 10, QChar('0'));
    const QString later = "2026/12/08-12:00,b,";
    struct Case {
        const char* name;
        QStringList fixed, before;
        QString typedFixed, typedVar;
        QDate day;
        int hour, minute;
        Press how;
        QStringList after, shown;
        bool inputsCleared;
        bool refused = false;  // the dialog stayed open
    } cases[] = {
        // As it opens: today at the current minute; then 00:00 of today.
        {"the current minute is refused", {"a"}, {}, "a", "", today(), 11, 16, Press::Set, {}, {kRefused}, false, true},
        {"today 00:00 is refused", {"a"}, {}, "a", "", today(), 0, 0, Press::Set, {}, {kRefused}, false, true},
        {"accepted into due-time order", {"a"}, {later}, " a ", "v", today(), 12, 1, Press::Set,
         {"2026/12/08-11:00,a,v", later}, {kAdded}, true},
        {"empty variable part ends in a comma", {"a"}, {}, "a", "", today(), 12, 1, Press::Set, {"2026/12/08-11:00,a,"}, {kAdded}, true},
        {"empty hour and minute on a later day are 00:00", {"a"}, {}, "a", "", today().addDays(1), 0, 0, Press::Set,
         {"2026/12/09-00:00,a,"}, {kAdded}, true},
        {"same message, same minute: nothing", {"a"}, {"2026/12/08-11:00,a,v"}, "a", "v", today(), 12, 1, Press::Set,
         {"2026/12/08-11:00,a,v"}, {}, true},
        {"same message, another minute", {"a"}, {"2026/12/08-11:00,a,v"}, "a", "v", today(), 12, 2, Press::Set,
         {"2026/12/08-11:00,a,v", "2026/12/08-11:01,a,v"}, {kAdded}, true},
        {"full list", {"a"}, hundred, "a", "", today(), 12, 1, Press::Set, hundred, {kFull}, true},
        {"no fixed-form entries: the inputs stay", {}, {}, "a", "v", today(), 12, 1, Press::Set, {"2026/12/08-11:00,a,v"},
         {kAdded}, false},
        {"戻る", {"a"}, {later}, "a", "v", today(), 12, 1, Press::Back, {later}, {}, false},
        {"close box", {"a"}, {later}, "a", "v", today(), 12, 1, Press::CloseBox, {later}, {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        load(c.fixed, c.before);
        const QStringList before = stored();
        type(c.typedFixed, c.typedVar);
        schedule(c.day, c.hour, c.minute, c.how);
        click(form_->Command3[0]);
        EXPECT_EQ(stillOpen_, c.refused);
        EXPECT_EQ(seen_, "a\n" + c.typedVar);
        EXPECT_EQ(guide(), c.after);
        EXPECT_EQ(lines(), c.shown);
        // Saved at once, not only when the program ends.
        EXPECT_EQ(stored(), c.shown.isEmpty() || c.shown[0] != kAdded ? before : asStored(c.after));
        EXPECT_EQ(form_->Text1->toPlainText().isEmpty(), c.inputsCleared);
        deleteWindow();
    }
}

TEST_F(GuideListTest, DeleteAndDeleteAllAskAndSave)
{
    const QStringList two = {"2026/12/08-11:00,a,v", "2026/12/08-12:00,b,"};
    struct Case {
        const char* name;
        int row;  // -1: nothing selected
        bool ok;
        QStringList after, shown;
        QString question;
    } cases[] = {
        {"OK removes the selected entry", 1, true, {two[0]}, {kDeleted},
         "削除確認|指定されたｶﾞｲﾄﾞ部ﾒｯｾｰｼﾞを削除します。\n\nよろしいですか？\n\n[ｶﾞｲﾄﾞﾒｯｾｰｼﾞ]\n2026/12/08-12:00\nb\n"},
        {"ｷｬﾝｾﾙ keeps it", 0, false, two, {}, "削除確認|指定されたｶﾞｲﾄﾞ部ﾒｯｾｰｼﾞを削除します。\n\nよろしいですか？\n\n[ｶﾞｲﾄﾞﾒｯｾｰｼﾞ]\n2026/12/08-11:00\na\nv"},
        {"no selection: no question", -1, true, two, {}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        load({}, two);
        question_.clear();
        if (c.row >= 0) {
            clickRow(form_->List2, c.row);
            answer(c.ok);
        }
        click(form_->Command3[1]);
        EXPECT_EQ(question_.replace("\r\n", "\n").replace(QChar(0x2029), "\n"), c.question);
        EXPECT_EQ(guide(), c.after);
        EXPECT_EQ(stored(), c.shown.isEmpty() ? two : asStored(c.after));
        EXPECT_EQ(lines(), c.shown);
        EXPECT_TRUE(form_->Text3->toPlainText().isEmpty());
        EXPECT_TRUE(form_->List2->selectedItems().isEmpty());
        deleteWindow();
    }

    load({}, two);
    answer(false);
    click(form_->Command5[1]);
    EXPECT_EQ(question_, "削除確認|ｶﾞｲﾄﾞ部ﾒｯｾｰｼﾞを全て削除します。\n\nよろしいですか？\n\n");
    EXPECT_EQ(guide(), two);
    answer(true);
    click(form_->Command5[1]);
    EXPECT_EQ(form_->List2->count(), 0);
    EXPECT_TRUE(stored().isEmpty());
    EXPECT_EQ(uFCom_Bas::ProfileGet(confQ(), "Section_Cycle", "CycleItems"), "0");
    EXPECT_EQ(lines(), QStringList{kCleared});
}

TEST_F(GuideListTest, DetailsFollowTheSelectionByMouseAndKeyboard)
{
    load({"x", "y"}, {"2026/12/08-11:00,a,v", "2026/12/08-12:00,b,"});
    clickRow(form_->List2, 0);
    EXPECT_EQ(form_->Text3->toPlainText(), "2026/12/08-11:00\na\nv\n");
    // The arrow keys choose too; an empty variable part gives two lines.
    QTest::keyClick(form_->List2, Qt::Key_Down);
    EXPECT_EQ(form_->Text3->toPlainText(), "2026/12/08-12:00\nb\n");
    clickRow(form_->List2, 0, Qt::RightButton);
    EXPECT_TRUE(form_->List2->selectedItems().isEmpty());
    EXPECT_TRUE(form_->Text3->toPlainText().isEmpty());

    // The fixed-form list alike: what the keyboard chose is what 定型削除 and
    // ｶﾞｲﾄﾞ部登録 act on.
    clickRow(form_->List1, 0);
    EXPECT_EQ(form_->Text1->toPlainText(), "x");
    QTest::keyClick(form_->List1, Qt::Key_Down);
    EXPECT_EQ(form_->Text1->toPlainText(), "y");
}

// The monitor's due check runs while the operator's dialogs are open; the
// operations go on with the list as the check left it.
TEST_F(GuideListTest, ADueCheckWhileADialogIsOpen)
{
    load({"a"}, {"2026/12/08-10:16,due,", "2026/12/08-10:17,b,", "2026/12/08-11:00,a,v"});
    type("a", "v");
    schedule(today(), 12, 31, Press::Set, [this]() {
        clock_.set(QDateTime(today(), QTime(10, 16, 0, 5)));
        form_->Timer2->fire();
    });
    click(form_->Command3[0]);
    EXPECT_EQ(guide(), (QStringList{"2026/12/08-10:17,b,", "2026/12/08-11:00,a,v", "2026/12/08-11:30,a,v"}));
    EXPECT_NE(form_->guidePopup(), nullptr);
    EXPECT_EQ(lines(), QStringList{kAdded});

    // The guide buttons come back with the next cycle; then the entry to
    // delete falls due while the question is open.
    EXPECT_FALSE(form_->Command3[1]->isEnabled());
    form_->Timer1->fire();
    clickRow(form_->List2, 0);
    testsupport::answerNextModal([this](QWidget* w) {
        clock_.set(QDateTime(today(), QTime(10, 17, 0, 5)));
        form_->Timer2->fire();
        click(qobject_cast<MsgBox_Dialog*>(w)->OKButton);
    });
    click(form_->Command3[1]);
    EXPECT_EQ(guide(), (QStringList{"2026/12/08-11:00,a,v", "2026/12/08-11:30,a,v"}));
    EXPECT_TRUE(lines().isEmpty());
}

// Repeating announcements through the dialog's 繰り返し: the rule is stored
// with its first occurrence, shown with the occurrence, and goes with it.
TEST_F(GuideListTest, ARepetitionIsRegisteredShownAndDeletedWithItsOccurrence)
{
    QStringList hundred;
    for (int i = 0; i < 100; ++i)
        hundred << QStringLiteral("2026/12/09-%1:%2,m,").arg(10 + i / 60).arg(i % 60, 2, 10, QChar('0'));
    const QDate saturday(2026, 12, 12), wednesday(2026, 12, 9);
    struct Case {
        const char* name;
        QStringList before, rulesBefore;
        QDate day;
        int hour, repeat;  // hour list position; 0 なし, 1 毎日, 2 平日, 3 毎週
        QStringList after, rules, shown;
        bool tickHolidays = false;
    } cases[] = {
        {"毎日 from today", {}, {}, today(), 12, 1, {"2026/12/08-11:00,a,v"}, {"毎日,11:00,a,v,"}, {kAdded}},
        {"毎週 with 休日は鳴らさない", {}, {}, wednesday, 11, 3, {"2026/12/09-10:00,a,v"},
         {"毎週水,10:00,a,v,休日=除く,"}, {kAdded}, true},
        // The start is kept with the rule, so that a restart does not move it.
        {"平日 chosen on a Saturday starts on the Monday", {}, {}, saturday, 10, 2, {"2026/12/14-09:00,a,v"},
         {"平日,09:00,a,v,起点=2026/12/12,"}, {kAdded}},
        {"毎週 takes the chosen day's weekday", {}, {}, wednesday, 11, 3, {"2026/12/09-10:00,a,v"}, {"毎週水,10:00,a,v,"},
         {kAdded}},
        {"the same rule again: nothing", {"2026/12/09-10:00,a,v"}, {"毎週水,10:00,a,v,"}, wednesday, 11, 3,
         {"2026/12/09-10:00,a,v"}, {"毎週水,10:00,a,v,"}, {}},
        {"a full list takes no rule", hundred, {}, today(), 12, 1, hundred, {}, {kFull}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        load({"a"}, c.before, c.rulesBefore);
        type("a", "v");
        tickHolidays_ = c.tickHolidays;
        schedule(c.day, c.hour, 1, Press::Set, {}, c.repeat);
        click(form_->Command3[0]);
        EXPECT_EQ(guide(), c.after);
        EXPECT_EQ(stored(), c.shown.isEmpty() || c.shown[0] != kAdded ? c.before : asOccurrences(c.after));
        EXPECT_EQ(stored("Section_Repeat", "RepeatItem_"), c.rules);
        EXPECT_EQ(lines(), c.shown);
        deleteWindow();
    }
    tickHolidays_ = false;

    // Shown under the occurrence's fields; an ordinary entry has no such line.
    const QStringList rules = {"平日,09:00,a,v,", "毎日,12:00,b,,"};
    load({}, {"2026/12/08-11:00,a,v"}, rules);
    EXPECT_EQ(guide(), (QStringList{"2026/12/08-11:00,a,v", "2026/12/08-12:00,b,", "2026/12/09-09:00,a,v"}));
    clickRow(form_->List2, 2);
    EXPECT_EQ(form_->Text3->toPlainText(), "2026/12/09-09:00\na\nv\n繰り返し：平日\n");
    clickRow(form_->List2, 0);
    EXPECT_EQ(form_->Text3->toPlainText(), "2026/12/08-11:00\na\nv\n");

    // Deleting an occurrence says that its rule goes too, and takes it.
    clickRow(form_->List2, 1);
    answer(true);
    click(form_->Command3[1]);
    EXPECT_TRUE(question_.replace("\r\n", "\n").endsWith("\n2026/12/08-12:00\nb\n\n\nこの繰り返しも削除します。"))
        << question_.toStdString();
    EXPECT_EQ(stored("Section_Repeat", "RepeatItem_"), QStringList{rules[0]});
    EXPECT_EQ(stored(), asStored({"2026/12/08-11:00,a,v"}) + asOccurrences({"2026/12/09-09:00,a,v"}));

    // 全て削除 says that the rules go too.
    answer(true);
    click(form_->Command5[1]);
    EXPECT_EQ(question_.replace("\r\n", "\n"),
              "削除確認|ｶﾞｲﾄﾞ部ﾒｯｾｰｼﾞを全て削除します。\n\nよろしいですか？\n\n\n繰り返しの設定も全て削除します。");
    EXPECT_TRUE(stored("Section_Repeat", "RepeatItem_").isEmpty());
    EXPECT_EQ(uFCom_Bas::ProfileGet(confQ(), "Section_Repeat", "RepeatItems"), "0");
    EXPECT_EQ(form_->List2->count(), 0);
}

// A rule whose next occurrence finds the list full waits, said once, and
// its occurrence comes in at the first due check that finds room.
TEST_F(GuideListTest, AnOccurrenceWaitsForRoomInAFullList)
{
    QStringList hundred = {"2026/12/08-10:16,due,"};
    for (int i = 1; i < 100; ++i)
        hundred << QStringLiteral("2026/12/09-%1:%2,m,").arg(10 + i / 60).arg(i % 60, 2, 10, QChar('0'));
    load({}, hundred, {"毎日,10:30,r,,"});
    // Said when the start's own lines are done, for its own three seconds.
    EXPECT_EQ(loadLines_, (QStringList{kHead + "を Load しました。", kHead + "ｶﾞｲﾄﾞ部監視を開始しました。", kFull}));
    EXPECT_EQ(stored("Section_Repeat", "RepeatItem_"), QStringList{"毎日,10:30,r,,"});
    EXPECT_EQ(form_->List2->count(), 100);

    clock_.set(QDateTime(today(), QTime(10, 16, 0, 5)));
    form_->Timer2->fire();
    EXPECT_EQ(guide().first(), "2026/12/08-10:30,r,");
    EXPECT_EQ(stored().first(), "2026/12/08-10:30,r,,繰り返し,");
    EXPECT_EQ(form_->List2->count(), 100);
}

// The clock set back after an occurrence was announced announces it no
// second time; set forward, what fell due is caught up and the next
// occurrence is found from the clock as it now reads.
TEST_F(GuideListTest, AClockSetBackOrForwardKeepsEachOccurrenceOnce)
{
    load({}, {}, {"毎日,10:16,r,,"});
    ASSERT_EQ(guide(), QStringList{"2026/12/08-10:16,r,"});
    struct Step {
        QDateTime clock;
        QStringList after;
        bool popup;
    } steps[] = {
        {QDateTime(today(), QTime(10, 16, 0, 5)), {"2026/12/09-10:16,r,"}, true},
        {QDateTime(today(), QTime(10, 10, 0, 5)), {"2026/12/09-10:16,r,"}, false},
        {QDateTime(today(), QTime(10, 16, 0, 5)), {"2026/12/09-10:16,r,"}, false},
        {QDateTime(today().addDays(3), QTime(12, 0, 0, 5)), {"2026/12/12-10:16,r,"}, true},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.clock.toString().toStdString());
        clock_.set(s.clock);
        form_->Timer2->fire();
        EXPECT_EQ(guide(), s.after);
        EXPECT_EQ(stored(), asOccurrences(s.after));
        EXPECT_EQ(!form_->monitor()->shownMessages().isEmpty(), s.popup);
    }
}

// 毎日 changed into 平日 the natural way, by registering again: both rules
// share the one listed entry, the details name both, and ｶﾞｲﾄﾞ部削除 takes
// the entry with both rules, so that neither comes back after a restart.
TEST_F(GuideListTest, TwoRulesOnOneEntryAreShownAndDeletedTogether)
{
    load({"朝礼"}, {});
    for (int repeat : {1, 2}) {  // 毎日, then 平日
        type("朝礼");
        schedule(today(), 12, 1, Press::Set, {}, repeat);
        click(form_->Command3[0]);
        EXPECT_EQ(lines(), QStringList{kAdded});
    }
    EXPECT_EQ(guide(), QStringList{"2026/12/08-11:00,朝礼,"});
    EXPECT_EQ(stored("Section_Repeat", "RepeatItem_"), (QStringList{"毎日,11:00,朝礼,,", "平日,11:00,朝礼,,"}));
    clickRow(form_->List2, 0);
    EXPECT_EQ(form_->Text3->toPlainText(), "2026/12/08-11:00\n朝礼\n繰り返し：毎日\n繰り返し：平日\n");

    clickRow(form_->List2, 0);
    answer(true);
    click(form_->Command3[1]);
    EXPECT_TRUE(question_.replace("\r\n", "\n").endsWith("\n\n\nこの繰り返しも削除します。")) << question_.toStdString();
    EXPECT_EQ(form_->List2->count(), 0);
    EXPECT_EQ(lines(), QStringList{kDeleted});
    EXPECT_TRUE(stored("Section_Repeat", "RepeatItem_").isEmpty());
    EXPECT_TRUE(stored().isEmpty());
    // A new window over the file finds nothing to announce.
    deleteWindow();
    ASSERT_TRUE(loadWindow(testsupport::readFile(conf())));
    EXPECT_EQ(form_->List2->count(), 0);
}
