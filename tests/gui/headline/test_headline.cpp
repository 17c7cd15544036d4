// The head line: modes, history, fitting, colours and the clear timer.
#include "fake_main.h"
#include "gui/headline/colors.h"

#include <QElapsedTimer>
#include <QTest>
#include <gtest/gtest.h>

using headtest::FakeMain;
using headtest::FakeRecorder;
using headtest::kStamp;
using uFHLabel_Bas::HeadMsgShow;

namespace {

class HeadLineTest : public ::testing::Test {
protected:
    headtest::FixedClock clock_;
    testsupport::FakeWindowSearch noRecorder_{false};
};

using uFHLabel_Bas::HeadMode;

struct ModeCase {
    HeadMode mode;
    bool labelShowsNew;     // else it keeps the previous line (mode 13) or is empty (mode 0)
    bool previousArchived;  // the previous line moved into the history
    bool timerRunning;
    int forwarded;
};

TEST_F(HeadLineTest, EachModeActsOnLabelHistoryTimerAndRecorderAsItShould)
{
    const ModeCase cases[] = {
        {HeadMode::Clear, false, true, false, 0},
        {HeadMode::Show, true, true, true, 0},
        {HeadMode::ShowSend, true, true, true, 1},
        {HeadMode::SendOnly, false, false, true, 1},
    };
    for (const ModeCase& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.mode));
        FakeRecorder recorder;
        if (!recorder.ok()) GTEST_SKIP() << "the recorder's mailslot is in use";
        FakeMain main;
        recorder.forwardFrom(&main.window);
        const QString previous = kStamp + "[ｳﾞｪﾙﾓﾗ]前の行";
        HeadMsgShow(&main.window, uFHLabel_Bas::HeadMode::Show, -1, "[ｳﾞｪﾙﾓﾗ]前の行", QString());
        ASSERT_EQ(main.head->text(), previous);
        main.timer->setInterval(1234);  // to see whether the call restarts it

        HeadMsgShow(&main.window, c.mode, uFCom_Bas::ColorGet(30), "[ｳﾞｪﾙﾓﾗ]新しい行", "補足");

        if (c.labelShowsNew) {
            EXPECT_EQ(main.head->text(), kStamp + "[ｳﾞｪﾙﾓﾗ]新しい行補足");
        } else if (c.mode == HeadMode::SendOnly) {
            EXPECT_EQ(main.head->text(), previous);
        } else {
            EXPECT_EQ(main.head->text(), QString());
        }
        const QStringList expectedHistory =
            c.previousArchived ? QStringList{QString(), previous} : QStringList{QString()};
        EXPECT_EQ(main.historyItems(), expectedHistory);
        EXPECT_EQ(main.timer->isRunning(), c.timerRunning);
        EXPECT_EQ(main.timer->Interval(), c.mode == HeadMode::SendOnly ? 1234 : (c.timerRunning ? 3000 : 0));

        const QStringList sent = recorder.received();
        ASSERT_EQ(sent.size(), c.forwarded);
        if (c.forwarded) {
            EXPECT_EQ(sent[0], "[ｳﾞｪﾙﾓﾗ]新しい行|補足");
        }
    }
}

TEST_F(HeadLineTest, SendOnlyFirstCallStillPreparesTheHistoryButTouchesNothingElse)
{
    FakeMain main;
    HeadMsgShow(&main.window, uFHLabel_Bas::HeadMode::SendOnly, uFCom_Bas::ColorGet(10), "[ｳﾞｪﾙﾓﾗ]通知", QString());
    EXPECT_EQ(main.historyItems(), QStringList{QString()});
    EXPECT_EQ(main.head->text(), QString());
    EXPECT_EQ(main.background(), QColor(192, 192, 192));
    EXPECT_FALSE(main.timer->Enabled());

    // The set-up happens once: later calls add no second empty entry.
    HeadMsgShow(&main.window, uFHLabel_Bas::HeadMode::SendOnly, -1, "x", QString());
    HeadMsgShow(&main.window, uFHLabel_Bas::HeadMode::Clear, -1, QString(), QString());
    EXPECT_EQ(main.historyItems(), QStringList{QString()});
}

TEST_F(HeadLineTest, HistoryKeepsNineLinesNewestFirstBelowAnEmptyEntry)
{
    FakeMain main;
    for (int i = 1; i <= 12; ++i) HeadMsgShow(&main.window, uFHLabel_Bas::HeadMode::Show, -1, QStringLiteral("line %1").arg(i), QString());

    QStringList items = main.historyItems();
    ASSERT_EQ(items.size(), 10);
    EXPECT_EQ(items[0], QString());
    EXPECT_EQ(items[1], kStamp + "line 11");
    EXPECT_EQ(items[9], kStamp + "line 3");
    EXPECT_EQ(main.head->text(), kStamp + "line 12");

    // The clear timer moves the shown line in as well.
    main.timer->fire();
    items = main.historyItems();
    ASSERT_EQ(items.size(), 10);
    EXPECT_EQ(items[1], kStamp + "line 12");
    EXPECT_EQ(items[9], kStamp + "line 4");
    EXPECT_EQ(main.head->text(), QString());
    EXPECT_FALSE(main.timer->Enabled());
    EXPECT_EQ(main.timer->Interval(), 0);

    // Clearing an empty label archives nothing.
    main.timer->fire();
    EXPECT_EQ(main.historyItems().size(), 10);
    EXPECT_EQ(main.historyItems()[1], kStamp + "line 12");
}

TEST_F(HeadLineTest, LongLineIsShortenedOnScreenButArchivedWhole)
{
    const QString longText = QStringLiteral("[ｳﾞｪﾙﾓﾗ]") + QString(200, QChar(u'長'));
    // A supplementary-plane character (two UTF-16 units) must not be cut in half.
    const QString wideText = QStringLiteral("[ｳﾞｪﾙﾓﾗ]") + QString::fromUtf8("\xF0\xA0\x80\x8B").repeated(80);
    struct Case {
        const char* name;
        int labelWidth;
        QString text;
        bool shortened;
    };
    const Case cases[] = {
        {"fits", 2000, QStringLiteral("[ｳﾞｪﾙﾓﾗ]短い"), false},
        {"too long", 300, longText, true},
        {"surrogates", 300, wideText, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeMain main(c.labelWidth);
        const QString full = kStamp + c.text;
        HeadMsgShow(&main.window, uFHLabel_Bas::HeadMode::Show, -1, c.text, QString());
        const QString shown = main.head->text();
        if (!c.shortened) {
            EXPECT_EQ(shown, full);
        } else {
            ASSERT_TRUE(shown.endsWith("..."));
            const QString head = shown.chopped(3);
            EXPECT_TRUE(full.startsWith(head));
            EXPECT_FALSE(head.back().isHighSurrogate());
            // The longest head that fits: the head fits, one more character would not.
            EXPECT_LE(uFHLabel_Bas::TextWidthGet(main.dummy, head), c.labelWidth);
            const qsizetype next = head.size() + (full.at(head.size()).isHighSurrogate() ? 2 : 1);
            EXPECT_GT(uFHLabel_Bas::TextWidthGet(main.dummy, full.left(next)), c.labelWidth);
        }
        main.timer->fire();
        EXPECT_EQ(main.historyItems().value(1), full);
    }
}

TEST_F(HeadLineTest, NothingFitsLeavesTheFirstCharacterWithoutDots)
{
    FakeMain main(1);
    HeadMsgShow(&main.window, uFHLabel_Bas::HeadMode::Show, -1, "[ｳﾞｪﾙﾓﾗ]x", QString());
    EXPECT_EQ(main.head->text(), QStringLiteral("["));
}

TEST_F(HeadLineTest, LinesAreShownAsPlainText)
{
    FakeMain main;
    HeadMsgShow(&main.window, uFHLabel_Bas::HeadMode::Show, -1, "<b>太字</b>&amp;", QString());
    EXPECT_EQ(main.head->textFormat(), Qt::PlainText);
    EXPECT_EQ(main.head->text(), kStamp + "<b>太字</b>&amp;");
}

TEST_F(HeadLineTest, ColourMinusOneAndClearingRestoreTheDesignedBackground)
{
    // Black is a designed colour like any other (its value is 0).
    for (const QColor designed : {QColor(192, 192, 192), QColor(0, 0, 0)}) {
        SCOPED_TRACE(designed.name().toStdString());
        FakeMain main(520, designed);

        HeadMsgShow(&main.window, uFHLabel_Bas::HeadMode::Show, uFCom_Bas::ColorGet(15), "赤", QString());
        EXPECT_EQ(main.background(), QColor(255, 128, 128));
        HeadMsgShow(&main.window, uFHLabel_Bas::HeadMode::Show, -1, "元", QString());
        EXPECT_EQ(main.background(), designed);
        HeadMsgShow(&main.window, uFHLabel_Bas::HeadMode::ShowSend, uFCom_Bas::ColorGet(60), "青", QString());
        EXPECT_EQ(main.background(), QColor(0, 0, 255));
        main.timer->fire();
        EXPECT_EQ(main.background(), designed);
        HeadMsgShow(&main.window, uFHLabel_Bas::HeadMode::Show, uFCom_Bas::ColorGet(0), "黒", QString());
        EXPECT_EQ(main.background(), QColor(0, 0, 0));
        HeadMsgShow(&main.window, uFHLabel_Bas::HeadMode::Show, -1, "元", QString());
        EXPECT_EQ(main.background(), designed);
        // Still exactly one empty entry at the top.
        EXPECT_EQ(main.historyItems().count(QString()), 1);
    }
}

TEST_F(HeadLineTest, ANewLineRestartsTheThreeSecondClear)
{
    FakeMain main;
    HeadMsgShow(&main.window, uFHLabel_Bas::HeadMode::Show, -1, "一", QString());
    ASSERT_TRUE(main.timer->isRunning());
    EXPECT_EQ(main.timer->Interval(), 3000);
    // Some of the first line's three seconds have passed.
    ASSERT_TRUE(testsupport::waitUntil([&] { return main.timer->remainingMs() <= 2900; }, 6000));
    HeadMsgShow(&main.window, uFHLabel_Bas::HeadMode::Show, -1, "二", QString());
    // The clear counts three seconds again from the second line.
    EXPECT_GT(main.timer->remainingMs(), 2900);
    main.timer->fire();
    EXPECT_TRUE(main.head->text().isEmpty());
    EXPECT_EQ(main.historyItems(), (QStringList{QString(), kStamp + "二", kStamp + "一"}));
}

TEST_F(HeadLineTest, MissingControlsOrWindowAreSkippedQuietly)
{
    QWidget bare;
    HeadMsgShow(&bare, uFHLabel_Bas::HeadMode::Show, -1, "x", QString());
    HeadMsgShow(&bare, uFHLabel_Bas::HeadMode::Clear, -1, QString(), QString());
    HeadMsgShow(nullptr, uFHLabel_Bas::HeadMode::ShowSend, -1, "x", QString());
    EXPECT_EQ(uFHLabel_Bas::TextWidthGet(nullptr, "x"), 0);

    // A real window afterwards starts from a clean state.
    FakeMain main;
    HeadMsgShow(&main.window, uFHLabel_Bas::HeadMode::Show, -1, "y", QString());
    EXPECT_EQ(main.historyItems(), QStringList{QString()});
}

}  // namespace
