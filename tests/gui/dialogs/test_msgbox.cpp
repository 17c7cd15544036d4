// The program's own message box: buttons, caption, answers and placement.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QWidget>

#include "model/config/env.h"
#include "gui/dialogs/msgbox.h"
#include "gui/platform/ufcom.h"
#include "fakes.h"
#include "gui_fakes.h"
#include "test_support.h"

using testsupport::answerNextModal;

namespace {

MsgBox_Dialog* asBox(QWidget* w)
{
    return qobject_cast<MsgBox_Dialog*>(w);
}

// Shows the box and lets fn answer it; returns the result.
int askAndAnswer(QWidget* owner, int pbl, const QString& title, const QString& msg,
                 std::function<void(MsgBox_Dialog*)> fn)
{
    answerNextModal([fn](QWidget* w) {
        MsgBox_Dialog* box = asBox(w);
        ASSERT_NE(box, nullptr);
        fn(box);
    });
    return uMsgBox_Show(owner, pbl, title, msg);
}

}  // namespace

TEST(MsgBox, ButtonSetsAndAnswers)
{
    struct Case {
        int pbl;
        bool ok, cancel;
    } cases[] = {{0, true, true}, {1, true, false}, {2, false, true}, {-1, false, false}, {7, true, true}};
    for (const Case& c : cases) {
        bool okShown = false, cancelShown = false;
        const int result = askAndAnswer(nullptr, c.pbl, "t", "m", [&](MsgBox_Dialog* box) {
            okShown = box->OKButton->isVisible();
            cancelShown = box->CancelButton->isVisible();
            box->close();  // the close box
        });
        EXPECT_EQ(okShown, c.ok) << c.pbl;
        EXPECT_EQ(cancelShown, c.cancel) << c.pbl;
        EXPECT_EQ(result, -1) << "closing answers like ｷｬﾝｾﾙ, set " << c.pbl;
    }
}

TEST(MsgBox, OkCancelAndEnterOnTheFocusedCancel)
{
    EXPECT_EQ(askAndAnswer(nullptr, 0, "t", "m", [](MsgBox_Dialog* b) { QTest::mouseClick(b->OKButton, Qt::LeftButton); }), 1);
    EXPECT_EQ(askAndAnswer(nullptr, 0, "t", "m", [](MsgBox_Dialog* b) { QTest::mouseClick(b->CancelButton, Qt::LeftButton); }), -1);
    // ｷｬﾝｾﾙ holds the focus: Enter right after opening answers ｷｬﾝｾﾙ.
    bool cancelFocused = false;
    EXPECT_EQ(askAndAnswer(nullptr, 0, "t", "m",
                           [&](MsgBox_Dialog* b) {
                               cancelFocused = b->focusWidget() == b->CancelButton;
                               QTest::keyClick(b->focusWidget() ? b->focusWidget() : b, Qt::Key_Return);
                           }),
              -1);
    EXPECT_TRUE(cancelFocused);
    // Escape is bound to nothing: the box stays until a button is pressed.
    bool stillOpen = false;
    EXPECT_EQ(askAndAnswer(nullptr, 1, "t", "m",
                           [&](MsgBox_Dialog* b) {
                               QTest::keyClick(b, Qt::Key_Escape);
                               stillOpen = b->isVisible();
                               QTest::mouseClick(b->OKButton, Qt::LeftButton);
                           }),
              1);
    EXPECT_TRUE(stillOpen);
}

TEST(MsgBox, CaptionAndText)
{
    testsupport::FakeExeName exeName("uPVelmora");
    QString caption, text;
    askAndAnswer(nullptr, 0, "", "[ｳﾞｪﾙﾓﾗ]を終了しますか？\r\n2行目", [&](MsgBox_Dialog* b) {
        caption = b->windowTitle();
        text = b->Text1->toPlainText();
        b->close();
    });
    EXPECT_EQ(caption, "uPVelmora 【ﾒｯｾｰｼﾞ】");
    EXPECT_TRUE(text.startsWith("[ｳﾞｪﾙﾓﾗ]を終了しますか？"));
    EXPECT_TRUE(text.contains("2行目"));
    askAndAnswer(nullptr, 0, "終了確認", "x", [&](MsgBox_Dialog* b) {
        caption = b->windowTitle();
        b->close();
    });
    EXPECT_EQ(caption, "終了確認");
}

TEST(MsgBox, PlacedOverTheOwnerOrAtTheWorkAreaFallback)
{
    const QRect area(0, 0, 1024, 738);
    testsupport::FakeWorkArea workArea(area);
    // Fallback point in twips: 30 % of the right edge, 40 % of the bottom.
    const int fbLeft = static_cast<int>(0.3 * 1024 * 15);
    const int fbTop = static_cast<int>(0.4 * 738 * 15);
    struct Case {
        QRect owner;  // pixels
        bool fallback;
    } cases[] = {
        {QRect(200, 100, 400, 300), false},
        {QRect(-200, -200, 400, 300), true},  // computed point above and left of the area
        {QRect(-300, 100, 400, 300), true},   // left of the work area
        {QRect(900, 100, 400, 300), true},    // less than 1000 twips from the right
        {QRect(200, 650, 400, 300), true},    // less than 1000 twips from the bottom
    };
    for (const Case& c : cases) {
        QWidget owner;
        owner.setGeometry(c.owner);
        uFCom_Bas::PlaceCalc(&owner, "NOMAL", 1, 3, 8, 12);
        MsgBox_Dialog box(&owner, 0, "t", "m");
        const int expLeft = static_cast<int>(owner.frameGeometry().x() * 15 + 0.3 * owner.frameGeometry().width() * 15);
        const int expTop = static_cast<int>(owner.frameGeometry().y() * 15 + 0.4 * owner.frameGeometry().height() * 15);
        if (c.fallback) {
            EXPECT_EQ(box.placedLeft(), fbLeft) << c.owner.x() << "," << c.owner.y();
            EXPECT_EQ(box.placedTop(), fbTop) << c.owner.x() << "," << c.owner.y();
        } else {
            EXPECT_EQ(box.placedLeft(), expLeft);
            EXPECT_EQ(box.placedTop(), expTop);
            EXPECT_NEAR(box.x(), expLeft / 15, 1);
            EXPECT_NEAR(box.y(), expTop / 15, 1);
        }
    }
    // A minimised main window sends every box to the fallback.
    QWidget main;
    main.setGeometry(200, 100, 400, 300);
    uFCom_Bas::PlaceCalc(&main, "NOMAL", 1, 3, 8, 12);
    main.showMinimized();
    if (main.isMinimized()) {
        MsgBox_Dialog box(&main, 0, "t", "m");
        EXPECT_EQ(box.placedLeft(), fbLeft);
        EXPECT_EQ(box.placedTop(), fbTop);
    }
}
