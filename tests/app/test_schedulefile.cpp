// ｽｹｼﾞｭｰﾙのｴｸｽﾎﾟｰﾄ... and ｽｹｼﾞｭｰﾙのｲﾝﾎﾟｰﾄ... from the menu of the real main
// window: the file written, the preview with each row's line and fate,
// 取込 applying the accepted rows in one save, and ｷｬﾝｾﾙ applying nothing.
#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>

#include "app/form1.h"
#include "form_fixture.h"
#include "gui/dialogs/importview.h"
#include "gui/platform/ufcom.h"
#include "test_support.h"

namespace {

const QString kHead = QStringLiteral("[ｳﾞｪﾙﾓﾗ]");

class ScheduleFileTest : public testsupport::MainWindowTest {
protected:
    // 2026/12/24 is a Thursday.
    ScheduleFileTest() : MainWindowTest("vlcsv"), clock_(QDateTime(QDate(2026, 12, 24), QTime(10, 0, 0))) {}

    void load()
    {
        const QString text = "[Section_Entry]\r\nEntryItems=1\r\nEntryItem_000=昼休みです。,\r\n"
                             "[Section_Cycle]\r\nCycleItems=2\r\nCycleItem_000=2026/12/24-12:00,昼休みです。,,\r\n"
                             "CycleItem_001=2026/12/25-09:00,朝礼,会議室A,予告=5,\r\n"
                             "[Section_Repeat]\r\nRepeatItems=1\r\nRepeatItem_000=平日,08:30,始業です。,,\r\n";
        ASSERT_TRUE(loadWindow(uFCom_Bas::toAnsi(text).toStdString()));
        lines();
    }
    // Runs ｽｹｼﾞｭｰﾙのｲﾝﾎﾟｰﾄ... on a file of these bytes; fn sees the preview
    // and closes it.
    void import(const QByteArray& bytes, const std::function<void(Import_Dialog*)>& fn)
    {
        chooser_.path = QString::fromStdString(dir_.file("in.csv"));
        testsupport::writeFile(chooser_.path.toStdString(), bytes.toStdString());
        testsupport::answerNextModal([&](QWidget* w) {
            auto* d = qobject_cast<Import_Dialog*>(w);
            ASSERT_NE(d, nullptr);
            fn(d);
        });
        form_->menu_import->trigger();
    }

    testsupport::FakeClock clock_;
    testsupport::FakeFileChooser chooser_;
};

}  // namespace

TEST_F(ScheduleFileTest, ExportWritesTheScheduleForASpreadsheet)
{
    load();
    chooser_.path = QString::fromStdString(dir_.file("out.csv"));
    form_->menu_export->trigger();
    EXPECT_EQ(chooser_.asked, 1);
    EXPECT_EQ(lines(), QStringList{kHead + "ｴｸｽﾎﾟｰﾄしました。4 件。"});
    const QByteArray file = QByteArray::fromStdString(testsupport::readFile(chooser_.path.toStdString()));
    EXPECT_EQ(uFCom_Bas::fromAnsi(file), "種別,日時,繰り返し,時刻,固定ﾒｯｾｰｼﾞ,可変ﾒｯｾｰｼﾞ,オプション\r\n"
                                         "ｶﾞｲﾄﾞ,2026/12/24 12:00,,,昼休みです。,,\r\n"
                                         "ｶﾞｲﾄﾞ,2026/12/25 09:00,,,朝礼,会議室A,予告=5\r\n"
                                         "繰り返し,,平日,08:30,始業です。,,\r\n"
                                         "定型,,,,昼休みです。,,\r\n");
    EXPECT_FALSE(file.contains("\xE6")) << "CP932, not UTF-8";

    // A folder that is not there: the failure line, nothing else.
    chooser_.path = QString::fromStdString(dir_.file("missing/out.csv"));
    form_->menu_export->trigger();
    EXPECT_EQ(lines(), QStringList{kHead + "File Access NG 設定Fileに書込できません。"});
    // Backed out of the file dialog: nothing at all.
    chooser_.path.clear();
    form_->menu_export->trigger();
    EXPECT_EQ(lines(), QStringList{});
}

TEST_F(ScheduleFileTest, ThePreviewShowsEveryRowAndCancelAppliesNothing)
{
    load();
    const std::string before = testsupport::readFile(conf());
    const QStringList guideBefore = items(form_->List2), fixedBefore = items(form_->List1);
    const QByteArray file = uFCom_Bas::toAnsi(QString::fromUtf8(
        "種別,日時,繰り返し,時刻,固定ﾒｯｾｰｼﾞ,可変ﾒｯｾｰｼﾞ,オプション\r\n"
        "ｶﾞｲﾄﾞ,2026/12/24 15:00,,,\"点検は\r\n午後です。\",,\r\n"
        "ｶﾞｲﾄﾞ,2026/12/24 09:00,,,過去,,\r\n"
        "ｶﾞｲﾄﾞ,2026/12/24 12:00,,,昼休みです。,,\r\n"
        "繰り返し,,毎週金,17:00,終業です。,,予告=10\r\n"
        "定型,,,,\"a,b\",,\r\n"));
    import(file, [&](Import_Dialog* d) {
        EXPECT_EQ(d->windowTitle(), "ｽｹｼﾞｭｰﾙのｲﾝﾎﾟｰﾄ");
        EXPECT_EQ(column(d->Table1, Import_Dialog::ColLine), (QStringList{"2", "4", "5", "6", "7"}));
        EXPECT_EQ(column(d->Table1, Import_Dialog::ColResult),
                  (QStringList{"取込", "設定日時が現在日時より小さいです。", "既に登録されています。", "取込",
                               "ﾒｯｾｰｼﾞにｶﾝﾏ(,)は使えません。"}));
        EXPECT_EQ(d->Table1->item(0, Import_Dialog::ColFixed)->text(), "点検は 午後です。");
        EXPECT_EQ(d->Label1->text(), "取込 2 件、除外 3 件");
        EXPECT_EQ(items(form_->List2), guideBefore) << "nothing before 取込";
        d->Command1[1]->click();
    });
    EXPECT_EQ(items(form_->List2), guideBefore);
    EXPECT_EQ(items(form_->List1), fixedBefore);
    EXPECT_EQ(testsupport::readFile(conf()), before);
    EXPECT_EQ(lines(), QStringList{});

    // Again, with 取込: the accepted rows, one line, the file saved.
    import(file, [&](Import_Dialog* d) { d->Command1[0]->click(); });
    EXPECT_EQ(lines(), QStringList{kHead + "ｲﾝﾎﾟｰﾄしました。取込 2 件、除外 3 件。"});
    const QStringList guide = items(form_->List2);
    EXPECT_EQ(guide.size(), guideBefore.size() + 2);
    EXPECT_EQ(guide.filter("2026/12/24-15:00").size(), 1);
    EXPECT_EQ(guide.filter("2026/12/25-17:00").size(), 1) << "the rule's first Friday";
    EXPECT_EQ(get("Section_Repeat", "RepeatItem_001"), "毎週金,17:00,終業です。,,予告=10,");
    EXPECT_EQ(get("Section_Cycle", "CycleItems"), "5");

    // A file with nothing to take: 取込 cannot be pressed.
    import("ｶﾞｲﾄﾞ,2026/12/24 09:00,,,過去,,\n", [&](Import_Dialog* d) {
        EXPECT_FALSE(d->Command1[0]->isEnabled());
        d->Command1[1]->click();
    });
    EXPECT_EQ(lines(), QStringList{});
}
