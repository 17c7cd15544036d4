// The screen adjust and version dialogs on the real main window.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <sys/stat.h>

#include "app/form1.h"
#include "gui/dialogs/msgadjust.h"
#include "gui/dialogs/version.h"
#include "gui/platform/spinbar.h"
#include "gui/platform/ufcom.h"
#include "form_fixture.h"
#include "test_support.h"

namespace {

class AdjustTest : public testsupport::MainWindowTest {
protected:
    AdjustTest() : MainWindowTest("vladjust") {}
    QString stored() const { return uFCom_Bas::ProfileGet(confQ(), "Section_FormStyle", "FormStyle"); }
    // Opens 画面の位置調整 from the menu and hands the dialog to fn.
    void adjust(const std::function<void(MsgAdjust_Dialog*)>& fn)
    {
        testsupport::answerNextModal([&](QWidget* w) {
            auto* d = qobject_cast<MsgAdjust_Dialog*>(w);
            ASSERT_NE(d, nullptr);
            fn(d);
            if (d->isVisible()) click(d->Command1);
        });
        form_->menu_adjust->trigger();
    }
};

}  // namespace

TEST_F(AdjustTest, ApplyWritesTheStyleForTheNextStart)
{
    ASSERT_TRUE(loadWindow("[Section_FormStyle]\r\nFormStyle=ODD,20,3,8,12,\r\n"));
    const std::string before = testsupport::readFile(conf());
    QString shown;
    adjust([&](MsgAdjust_Dialog* d) {
        // An unknown style opens as 通常; a value beyond its spinner at its end.
        EXPECT_TRUE(d->Option1[0]->isChecked());
        EXPECT_EQ(d->Label2[0]->text(), "14");
        click(d->Command1);  // 戻る
    });
    EXPECT_EQ(testsupport::readFile(conf()), before);

    adjust([&](MsgAdjust_Dialog* d) {
        QTest::mouseClick(d->Option1[2], Qt::LeftButton);
        // The up arrow raises the value, and stops at the top of the range.
        for (int i : {2, 3})
            for (int n = 0; n < 12; ++n) QTest::keyClick(d->VScroll1[i], Qt::Key_Up);
        for (int i : {0, 1})
            for (int n = 0; n < 25; ++n) QTest::keyClick(d->VScroll1[i], Qt::Key_Down);
        shown = d->Label2[0]->text() + d->Label2[1]->text() + d->Label2[2]->text() + d->Label2[3]->text();
        click(d->Command2);
        EXPECT_TRUE(d->isVisible());  // stays open
    });
    EXPECT_EQ(shown, "001515");
    EXPECT_EQ(stored(), "MAX,0,0,15,15,");
    // The running window keeps its style; the next start comes up maximised.
    EXPECT_FALSE(form_->windowState() & Qt::WindowMaximized);
    deleteWindow();
    form_ = new Form1(uFCom_Bas::EnvInit("ｳﾞｪﾙﾓﾗ"));
    ASSERT_TRUE(form_->Form_Load("ｳﾞｪﾙﾓﾗ [" + exe_ + "]", QIcon()));
    EXPECT_TRUE(form_->windowState() & Qt::WindowMaximized);
}

// A screen reader reads the numbers shown, and a value set through the
// accessibility interface is the number the operator then sees.
TEST_F(AdjustTest, AssistiveTechnologyReadsAndSetsTheNumbersShown)
{
    ASSERT_TRUE(loadWindow("[Section_FormStyle]\r\nFormStyle=NOMAL,1,3,8,12,\r\n"));
    adjust([&](MsgAdjust_Dialog* d) {
        struct Case {
            int index;
            int shown, minimum, maximum, set;
        } cases[] = {{0, 1, 0, 14, 13}, {1, 3, 0, 14, 0}, {2, 8, 1, 15, 15}, {3, 12, 1, 15, 2}};
        for (const Case& c : cases) {
            SCOPED_TRACE(c.index);
            QAccessibleInterface* a11y = QAccessible::queryAccessibleInterface(d->VScroll1[c.index]);
            ASSERT_NE(a11y, nullptr);
            QAccessibleValueInterface* value = a11y->valueInterface();
            ASSERT_NE(value, nullptr);
            EXPECT_EQ(d->Label2[c.index]->text(), QString::number(c.shown));
            EXPECT_EQ(value->currentValue().toInt(), c.shown);
            EXPECT_EQ(a11y->text(QAccessible::Value), QString::number(c.shown));
            EXPECT_EQ(value->minimumValue().toInt(), c.minimum);
            EXPECT_EQ(value->maximumValue().toInt(), c.maximum);
            value->setCurrentValue(c.set);
            EXPECT_EQ(d->Label2[c.index]->text(), QString::number(c.set));
            // The up arrow still raises what is shown.
            QTest::keyClick(d->VScroll1[c.index], Qt::Key_Up);
            EXPECT_EQ(value->currentValue().toInt(), std::min(c.set + 1, c.maximum));
        }
        click(d->Command2);
    });
    EXPECT_EQ(stored(), "NOMAL,14,1,15,3,");
}

TEST_F(AdjustTest, AFailedWriteShowsTheLineAndTheDialogStays)
{
    ASSERT_TRUE(loadWindow("[Section_FormStyle]\r\nFormStyle=NOMAL,1,3,8,12,\r\n"));
    ASSERT_EQ(::chmod(conf().c_str(), 0444), 0);
    lines();
    adjust([&](MsgAdjust_Dialog* d) {
        click(d->Command2);
        EXPECT_TRUE(d->isVisible());
    });
    EXPECT_EQ(lines(), QStringList{"[ｳﾞｪﾙﾓﾗ]File Access NG 設定Fileに書込できません。"});
    EXPECT_EQ(stored(), "NOMAL,1,3,8,12,");
}

TEST_F(AdjustTest, VersionDialogFollowsTheMainWindowCaption)
{
    ASSERT_TRUE(loadWindow("[Section_Watch]\r\n"));
    form_->setWindowTitle("ｳﾞｪﾙﾓﾗ [renamed]");
    QString caption, first, companion;
    bool okHasFocus = false;
    testsupport::answerNextModal([&](QWidget* w) {
        auto* d = qobject_cast<Ver_Dialog*>(w);
        ASSERT_NE(d, nullptr);
        caption = d->windowTitle();
        first = d->Label1->text().section("\r\n", 0, 0);
        companion = d->Label2->text();
        okHasFocus = d->OKButton->hasFocus() || QApplication::focusWidget() == d->OKButton || d->focusWidget() == d->OKButton;
        click(d->OKButton);
    });
    form_->menu_help_ver->trigger();
    EXPECT_EQ(caption, "ｳﾞｪﾙﾓﾗ [renamed] のﾊﾞｰｼﾞｮﾝ情報");
    EXPECT_EQ(first, "ｳﾞｪﾙﾓﾗ [renamed] Version 1.0.0");
    EXPECT_EQ(companion, "本ｿﾌﾄｳｪｱは 『ｺｰｳﾞｪｲﾝ』 に対応しています");
    EXPECT_TRUE(okHasFocus);
}
