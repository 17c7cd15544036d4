// The main window: placement, layout, texts, menus, the notification-area
// icon and the close question.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextLayout>
#include <algorithm>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "gui/platform/appicon.h"
#include "app/form1.h"
#include "model/config/env.h"
#include "gui/dialogs/msgbox.h"
#include "gui/headline/headline.h"
#include "core/datetime.h"
#include "core/mailslot.h"
#include "gui/platform/kanalabel.h"
#include "gui/platform/ufcom.h"
#include "model/recorder/recorder.h"
#include "form_fixture.h"
#include "slot_isolation.h"
#include "test_support.h"

namespace {

class Form1Test : public testsupport::MainWindowTest {
protected:
    Form1Test() : MainWindowTest("vlform") {}
    Form1* load(const std::string& formStyle = "NOMAL,1,3,8,12,")
    {
        EXPECT_TRUE(loadWindow("[Section_FormStyle]\r\nFormStyle=" + formStyle + "\r\n"));
        return form_;
    }
};

}  // namespace

TEST_F(Form1Test, StoredPlacementIsClampedToTheGrid)
{
    struct Case {
        std::string style;
        int top, left, width, height;  // cells after clamping
    } cases[] = {
        {"NOMAL,1,3,8,12,", 1, 3, 8, 12},
        {"NOMAL,1,3,-1,12,", 1, 3, 9, 12},
        {"NOMAL,1,3,8,-1,", 1, 3, 8, 13},
        {"NOMAL,1,3,20,12,", 1, 0, 15, 12},
        {"NOMAL,14,3,8,12,", 3, 3, 8, 12},
        {"NOMAL,-2,3,8,12,", 0, 3, 8, 12},
        {"NOMAL,1,-5,8,12,", 1, 0, 8, 12},
        {"NOMAL,1,12,8,12,", 1, 7, 8, 12},
    };
    for (const Case& c : cases) {
        Form1* f = load(c.style);
        const uFCom_Bas::PlaceRecord r = uFCom_Bas::PlaceGet(form_);
        EXPECT_EQ(r.topCells, c.top) << c.style;
        EXPECT_EQ(r.leftCells, c.left) << c.style;
        EXPECT_EQ(r.widthCells, c.width) << c.style;
        EXPECT_EQ(r.heightCells, c.height) << c.style;
        // The window stands at the grid position: 1280 / 15 pixels a column.
        EXPECT_NEAR(f->x(), 1280 * c.left / 15, 1) << c.style;
        EXPECT_NEAR(f->y(), 738 * c.top / 15, 1) << c.style;
        EXPECT_NEAR(f->width(), 1280 * c.width / 15, 1) << c.style;
        deleteWindow();
    }
}

TEST_F(Form1Test, ResizingKeepsTheHalvesEqualAndTheClockRight)
{
    Form1* f = load();
    f->show();
    for (QSize size : {QSize(700, 500), QSize(1100, 760), QSize(640, 460)}) {
        f->resize(size);
        QApplication::processEvents();
        const int clientWidth = f->centralWidget()->width();
        EXPECT_EQ(f->Frame1->width(), f->Frame2->width()) << size.width();
        EXPECT_NEAR(f->Frame2->x() - (f->Frame1->x() + f->Frame1->width()), 200 / 15, 1) << size.width();
        EXPECT_NEAR(f->Head_Label[0]->x() + f->Head_Label[0]->width(), clientWidth - 100 / 15, 1);
        EXPECT_EQ(f->Head_Label[1]->width(), f->Head_Label[0]->x());
        EXPECT_NEAR(f->Head_Combo->width(), clientWidth - 100 / 15, 1);
        // The lists and their buttons stay inside their frames.
        EXPECT_LE(f->Command3[0]->x() + f->Command3[0]->width(), f->Frame3->width());
        EXPECT_LE(f->Command3[1]->x() + f->Command3[1]->width(), f->Frame4->width());
        EXPECT_EQ(f->Command5[0]->y() + f->Command5[0]->height(), f->List1->y() + f->List1->height());
        EXPECT_GT(f->List2->height(), 0);
    }
}

TEST_F(Form1Test, TextsTipsAndTheHiddenMonitorArea)
{
    Form1* f = load();
    EXPECT_EQ(f->meForm_StrTitle, "ｳﾞｪﾙﾓﾗ");
    EXPECT_EQ(f->FormKeyMsgHead(), "[ｳﾞｪﾙﾓﾗ]");
    EXPECT_EQ(f->windowTitle(), "ｳﾞｪﾙﾓﾗ [" + exe_ + "]");
    struct Tip {
        QWidget* w;
        QString tip;
    } tips[] = {
        {f->Text1, "固定ﾒｯｾｰｼﾞの文字数は最大64文字です。"},
        {f->Text2, "可変ﾒｯｾｰｼﾞの文字数は最大64文字です。"},
        {f->List1, "定型部ﾒｯｾｰｼﾞの最大登録数は[100]です。"},
        {f->List2, "ｶﾞｲﾄﾞ部ﾒｯｾｰｼﾞの最大登録数は[100]です。"},
        {f->Command1, "入力されたﾒｯｾｰｼﾞをｺｰｳﾞｪｲﾝへ強制通知します。"},
        {f->Command2[0], "入力されたﾒｯｾｰｼﾞを定型部へ登録します。"},
        {f->Command2[1], "選択された定型ﾒｯｾｰｼﾞを削除します。"},
        {f->Command3[0], "選択された定型ﾒｯｾｰｼﾞをｶﾞｲﾄﾞ部へ登録します。"},
        {f->Command3[1], "選択されたｶﾞｲﾄﾞ部ﾒｯｾｰｼﾞを削除します。"},
        {f->Command5[0], "定型部ﾒｯｾｰｼﾞを全て削除します。"},
        {f->Command5[1], "ｶﾞｲﾄﾞ部ﾒｯｾｰｼﾞを全て削除します。"},
        {f->Text3, "入力は出来ません。ｶﾞｲﾄﾞ部ﾒｯｾｰｼﾞの選択で表示されます。"},
    };
    for (const Tip& t : tips) {
        EXPECT_EQ(t.w->toolTip(), t.tip) << t.w->objectName().toStdString();
    }

    EXPECT_TRUE(f->Label2->text().startsWith("*注)\r\n定型部へは固定ﾒｯｾｰｼﾞのみの登録となります。"));
    EXPECT_TRUE(f->Label2->text().endsWith("ｺｰｳﾞｪｲﾝがないとｺｰｳﾞｪｲﾝの機能は使用できません。"));
    EXPECT_TRUE(f->Label6->text().endsWith("(但し、ｺｰｳﾞｪｲﾝがある時のみ)"));
    EXPECT_EQ(f->Label5->text(), "定周期監視は停止中です。");
    EXPECT_EQ(f->Label3->text(), "60");
    f->show();
    EXPECT_TRUE(f->Label6->isVisible());
    for (QWidget* hidden : {static_cast<QWidget*>(f->Label4), static_cast<QWidget*>(f->Label3),
                            static_cast<QWidget*>(f->VScroll1), static_cast<QWidget*>(f->Label5),
                            static_cast<QWidget*>(f->Check1), static_cast<QWidget*>(f->Command4[0]),
                            static_cast<QWidget*>(f->Command4[1])})
        EXPECT_FALSE(hidden->isVisible()) << hidden->objectName().toStdString();
    // The monitor started with the window: its start button is spent.
    EXPECT_FALSE(f->Command4[0]->isEnabled());
    EXPECT_TRUE(f->Command4[1]->isEnabled());
    EXPECT_TRUE(f->Check1->isChecked());
}

// The monitor's explanation wraps at the label's width; the recorder's name
// in it is never split over two lines (the line breaks before it).
TEST_F(Form1Test, ExplanationNeverSplitsTheRecordersName)
{
    Form1* f = load();
    f->show();
    auto* label = dynamic_cast<uFCom_Bas::KanaWordLabel*>(f->Label6);
    ASSERT_NE(label, nullptr) << "the explanation keeps half-width words whole";
    // Laid out as the label's drawing lays out plain text: a CR is a space,
    // an LF a line separator, lines wrapped at word boundaries.
    QString shown = uFCom_Bas::joinHalfwidthKanaWords(label->text());
    shown.replace(QChar('\r'), QChar(' ')).replace(QChar('\n'), QChar::LineSeparator);
    QTextLayout layout(shown, label->font());
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    const int width = label->contentsRect().width();
    ASSERT_GT(width, 0);
    std::vector<std::pair<int, int>> lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        lines.emplace_back(line.textStart(), line.textStart() + line.textLength());
    }
    layout.endLayout();
    const QString name = uFCom_Bas::joinHalfwidthKanaWords(QStringLiteral("ｺｰｳﾞｪｲﾝ"));
    int found = 0;
    for (qsizetype at = shown.indexOf(name); at >= 0; at = shown.indexOf(name, at + 1)) {
        ++found;
        const bool oneLine = std::any_of(lines.begin(), lines.end(), [&](const auto& l) {
            return at >= l.first && at + name.size() <= l.second;
        });
        EXPECT_TRUE(oneLine) << "the name at " << at << " is split over two lines";
    }
    EXPECT_EQ(found, 2);
    EXPECT_GE(lines.size(), 6u) << "the explanation wraps";
}

TEST_F(Form1Test, MenuBarOffersOnlyTheVisibleItems)
{
    Form1* f = load();
    struct Item {
        QAction* a;
        QString text;
        bool visible;
    } items[] = {
        {f->menu_adjust, "画面の位置調整", true},      {f->menu_tomr, "ｳﾞｪﾙﾓﾗのﾒｯｾｰｼﾞ", false},
        {f->menu_explorer, "Explorer起動", false},     {f->menu_end, "画面終了", true},
        {f->menu_help_help, "ｳﾞｪﾙﾓﾗのﾍﾙﾌﾟ", false},     {f->menu_help_ver, "ﾊﾞｰｼﾞｮﾝ情報", true},
        {f->sub1_menu_dsp, "表示", true},               {f->sub1_menu_end, "終了", true},
        {f->sub1_menu_cansel, "ｷｬﾝｾﾙ", true},
    };
    for (const Item& i : items) {
        EXPECT_EQ(i.a->text(), i.text);
        EXPECT_EQ(i.a->isVisible(), i.visible) << i.text.toStdString();
    }
    EXPECT_EQ(f->menu->title(), "VL ﾒﾆｭｰ(&M)");
    EXPECT_EQ(f->menu_help->title(), "ﾍﾙﾌﾟ(&H)");
    EXPECT_FALSE(f->menu_dummy1->isVisible());
    EXPECT_FALSE(f->menu_dummy2->isVisible());
}

TEST_F(Form1Test, ControlsHaveAccessibleNamesAndDescriptions)
{
    Form1* f = load();
    f->show();
    struct A11y {
        QWidget* w;
        QString name;
    } cases[] = {
        {f->Text1, "固定ﾒｯｾｰｼﾞ"},     {f->Text2, "可変ﾒｯｾｰｼﾞ"},       {f->List1, "定型部ﾒｯｾｰｼﾞ"},
        {f->List2, "ｶﾞｲﾄﾞ部ﾒｯｾｰｼﾞ"},  {f->Command2[0], "定型登録"},      {f->Command1, "CV手動通知"},
        {f->Command3[0], "ｶﾞｲﾄﾞ部登録"}, {f->Frame1, "ﾒｯｾｰｼﾞ設定"},     {f->Frame2, "ｶﾞｲﾄﾞ部監視"},
    };
    for (const A11y& c : cases) {
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(c.w);
        ASSERT_NE(iface, nullptr);
        EXPECT_EQ(iface->text(QAccessible::Name), c.name) << c.w->objectName().toStdString();
        if (!c.w->toolTip().isEmpty()) {
            EXPECT_EQ(iface->text(QAccessible::Description), c.w->toolTip()) << c.w->objectName().toStdString();
        }
    }
}

TEST_F(Form1Test, ClockShowsTheSecondAndTicksEverySecond)
{
    Form1* f = load();
    {
        testsupport::StillClock clock(platform::LocalTime{2026, 1, 2, 3, 4, 5, 6});
        f->DateTimer->fire();
        EXPECT_EQ(f->Head_Label[0]->text(), "2026/01/02 03:04:05");
        // A screen reader reads the time, not a pattern.
        EXPECT_EQ(f->Head_Label[0]->accessibleName(), "2026/01/02 03:04:05");
        EXPECT_EQ(f->DateTimer->Interval(), 1000);
        EXPECT_TRUE(f->DateTimer->isRunning());
        // The next tick falls just after the next full second, not 1000 ms on.
        EXPECT_GE(f->DateTimer->remainingMs(), 990);
        EXPECT_LE(f->DateTimer->remainingMs(), 1000 - 6 + uFCom_Bas::kSecondSlackMs);
    }
    testsupport::StillClock clock(platform::LocalTime{2026, 1, 2, 3, 4, 5, 990});
    f->DateTimer->fire();
    EXPECT_LE(f->DateTimer->remainingMs(), 10 + uFCom_Bas::kSecondSlackMs);
}

TEST_F(Form1Test, CloseBoxAsksAndOnlyOkEnds)
{
    Form1* f = load();
    f->show();
    QString title, text;
    testsupport::answerNextModal([&](QWidget* w) {
        auto* box = qobject_cast<MsgBox_Dialog*>(w);
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->Text1->toPlainText();
        QTest::mouseClick(box->CancelButton, Qt::LeftButton);
    });
    f->close();
    EXPECT_EQ(title, "終了確認");
    EXPECT_EQ(text, "[ｳﾞｪﾙﾓﾗ]を終了しますか？");
    EXPECT_EQ(ended_, 0);
    EXPECT_TRUE(f->isVisible());

    testsupport::answerNextModal([](QWidget* w) {
        QTest::mouseClick(qobject_cast<MsgBox_Dialog*>(w)->OKButton, Qt::LeftButton);
    });
    f->menu_end->trigger();
    EXPECT_EQ(ended_, 1);
    EXPECT_TRUE(f->unloading());
    EXPECT_FALSE(f->DateTimer->isRunning());
    EXPECT_FALSE(f->MailRecvTimer->isRunning());
}

TEST_F(Form1Test, MinimisingGoesToTheNotificationAreaOnlyWithRoomAndATray)
{
    struct Case {
        QRect area;
        bool tray;
        bool toTray;
    } cases[] = {
        {QRect(0, 0, 1024, 738), true, true},
        {QRect(0, 0, 640, 480), true, false},
        {QRect(0, 0, 1024, 738), false, false},
    };
    for (const Case& c : cases) {
        workArea_.set(c.area);
        testsupport::FakeTray tray(c.tray);
        Form1* f = load();
        f->show();
        QApplication::processEvents();
        f->setWindowState(Qt::WindowMinimized);
        QApplication::processEvents();
        QApplication::processEvents();
        EXPECT_EQ(f->TrayShown, c.toTray ? 1 : 0) << c.area.width();
        EXPECT_EQ(f->isVisible(), !c.toTray) << c.area.width();
        if (c.toTray) {
            // 表示 brings the window back and removes the icon.
            f->sub1_menu_dsp->trigger();
            EXPECT_EQ(f->TrayShown, 0);
            EXPECT_TRUE(f->isVisible());
            EXPECT_FALSE(f->isMinimized());
            EXPECT_EQ(uFCom_Bas::TrayIconDelete(f, f->windowIcon()), -1) << "icon already removed";
        }
        deleteWindow();
    }
}

TEST_F(Form1Test, CloseCommandOnTheOwnSlotEndsWithoutAQuestion)
{
    Form1* f = load();
    const int slot = platform::mailslot::SlotOpen(exe_.toStdString());
    ASSERT_GE(slot, 0);
    // Another record is ignored and polling goes on every 20 ms.
    QByteArray other = uFCom_Bas::buildRawRecord(88011, 800);
    ASSERT_EQ(platform::mailslot::SlotWrite(slot, other.size(), other.constData()), 800);
    f->MailRecvTimer->fire();
    EXPECT_EQ(ended_, 0);
    EXPECT_EQ(f->MailRecvTimer->Interval(), 20);
    EXPECT_TRUE(f->MailRecvTimer->isRunning());
    // The close command, even only 4 bytes of it, ends the program.
    QByteArray close = uFCom_Bas::buildRawRecord(-88888, 4);
    ASSERT_EQ(platform::mailslot::SlotWrite(slot, close.size(), close.constData()), 4);
    ASSERT_TRUE(testsupport::waitUntil([&]() { return ended_ > 0; }, 2000));
    EXPECT_EQ(ended_, 1);
    platform::mailslot::HandleClose(slot);
}

TEST_F(Form1Test, ClosingFromTheTaskBarOrTheIconRestoresOrKeepsHidden)
{
    // Minimised on the task bar: the window is restored before the question.
    workArea_.set(QRect(0, 0, 640, 480));
    Form1* f = load();
    f->show();
    f->setWindowState(Qt::WindowMinimized);
    QApplication::processEvents();
    bool restoredWhenAsked = false;
    testsupport::answerNextModal([&](QWidget* w) {
        restoredWhenAsked = !f->isMinimized() && f->isVisible();
        QTest::mouseClick(qobject_cast<MsgBox_Dialog*>(w)->CancelButton, Qt::LeftButton);
    });
    f->close();
    EXPECT_TRUE(restoredWhenAsked);
    EXPECT_EQ(ended_, 0);
    delete form_;
    form_ = nullptr;

    // In the notification area: 終了 asks while the window stays hidden, and
    // the shutdown removes the icon.
    workArea_.set(QRect(0, 0, 1024, 738));
    testsupport::FakeTray tray(true);
    f = load();
    f->show();
    f->setWindowState(Qt::WindowMinimized);
    QApplication::processEvents();
    QApplication::processEvents();
    ASSERT_EQ(f->TrayShown, 1);
    bool hiddenWhenAsked = false;
    testsupport::answerNextModal([&](QWidget* w) {
        hiddenWhenAsked = !f->isVisible();
        QTest::mouseClick(qobject_cast<MsgBox_Dialog*>(w)->OKButton, Qt::LeftButton);
    });
    f->sub1_menu_end->trigger();
    EXPECT_TRUE(hiddenWhenAsked);
    EXPECT_EQ(ended_, 1);
    EXPECT_EQ(f->TrayShown, 0);
    EXPECT_EQ(uFCom_Bas::TrayIconDelete(f, f->windowIcon()), -1) << "the icon is gone";
}

// A file the program may not write is said as soon as the start is done,
// after the start-up's own last line, in the colour of a failed save; the
// recorder is not told (only a save that fails goes there).
TEST_F(Form1Test, AFileItCannotWriteIsSaidAtStartAndNotForwarded)
{
    if (!testsupport::slotsIsolated()) GTEST_SKIP() << "needs a slot namespace of its own";
    const int recorder = platform::mailslot::SlotCreate("uPCorvane", 0);
    ASSERT_GE(recorder, 0);
    testsupport::FakeWindowSearch recorderWindow(true);
    auto records = [recorder]() {
        QStringList out;
        char buf[platform::mailslot::kMaxMessage];
        int n;
        while ((n = platform::mailslot::SlotRead(recorder, sizeof buf, buf)) > 0) {
            const auto r = uFCom_Bas::decodeNotifyRecord(QByteArray(buf, n));
            out << uFCom_Bas::fromAnsi(r.text1) + uFCom_Bas::fromAnsi(r.text2);
        }
        return out;
    };
    const QString notice = "[ｳﾞｪﾙﾓﾗ]File Access NG 設定Fileに書込できません。";
    const QString ready = "[ｳﾞｪﾙﾓﾗ]準備終了しました。";
    struct Case {
        const char* name;
        mode_t mode;
        bool told;
    } cases[] = {
        {"writable file", 0644, false},
        {"read-only file", 0444, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::writeFile(conf(), "[Section_FormStyle]\r\nFormStyle=NOMAL,1,3,8,12,\r\n");
        ASSERT_EQ(::chmod(conf().c_str(), c.mode), 0);
        const std::string before = testsupport::readFile(conf());
        form_ = new Form1(uFCom_Bas::EnvInit("ｳﾞｪﾙﾓﾗ"));
        ASSERT_TRUE(form_->Form_Load("ｳﾞｪﾙﾓﾗ [" + exe_ + "]", uFCom_Bas::programIcon()));
        // The start-up's last line, as the program shows it after the load,
        // for its three seconds.
        uFHLabel_Bas::HeadMsgShow(form_, uFHLabel_Bas::HeadMode::Show, uFHLabel_Bas::kDesignedColour, ready, QString());
        form_->HeadMsgTimer->fire();

        const QString shown = form_->Head_Label[1]->text();
        const QColor colour = form_->Head_Label[1]->palette().color(QPalette::Window);
        const QStringList got = lines();
        ASSERT_FALSE(got.isEmpty());
        if (c.told) {
            EXPECT_TRUE(shown.contains(notice)) << shown.toStdString();
            EXPECT_EQ(colour, QColor(255, 128, 128));
            EXPECT_EQ(got.back(), notice);
            EXPECT_EQ(got.count(notice), 1);
        } else {
            EXPECT_TRUE(shown.isEmpty());
            EXPECT_EQ(got.back(), ready);
            EXPECT_FALSE(got.contains(notice));
        }
        // The load line went to the recorder, the notice did not.
        const QStringList sent = records();
        EXPECT_EQ(sent.filter("を Load しました").size(), 1) << sent.join("\n").toStdString();
        EXPECT_TRUE(sent.filter("File Access NG").isEmpty()) << sent.join("\n").toStdString();
        EXPECT_EQ(testsupport::readFile(conf()), before);
        deleteWindow();
        records();
    }
    platform::mailslot::HandleClose(recorder);
}
