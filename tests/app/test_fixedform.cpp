// The fixed-form list on the real main window: the buttons, the list, the
// questions, the head line and the file after each operation.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "gui/platform/appicon.h"
#include "app/form1.h"
#include "model/config/env.h"
#include "gui/dialogs/msgbox.h"
#include "gui/headline/colors.h"
#include "gui/headline/headline.h"
#include "core/datetime.h"
#include "gui/platform/ufcom.h"
#include "gui/recorder/keycatalog.h"
#include "model/recorder/recorder.h"
#include "form_fixture.h"
#include "test_support.h"

namespace {

const QString kHead = QStringLiteral("[ｳﾞｪﾙﾓﾗ]");
const QString kAdded = kHead + "定型部ﾒｯｾｰｼﾞに登録されました。";
const QString kFull = kHead + "定型部ﾒｯｾｰｼﾞに登録できません。最大登録数[100]を超えます。";
const QString kUpdated = kHead + "定型部ﾒｯｾｰｼﾞを更新しました。";
const QString kDeleted = kHead + "定型部ﾒｯｾｰｼﾞから削除されました。";
const QString kCleared = kHead + "定型部ﾒｯｾｰｼﾞを全て削除しました。";
const QString kFileNG = kHead + "File Access NG 設定Fileに書込できません。";

class FixedFormTest : public testsupport::MainWindowTest {
protected:
    FixedFormTest() : MainWindowTest("vlfixed") {}
    void TearDown() override
    {
        delete catalog_;
        MainWindowTest::TearDown();
    }
    QString stored(const QString& key) const { return uFCom_Bas::ProfileGet(confQ(), "Section_Entry", key); }

    // Loads the window over a file holding these fixed-form entries.
    Form1* load(const QStringList& entries)
    {
        std::string text = "[Section_FormStyle]\r\nFormStyle=NOMAL,1,3,8,12,\r\n[Section_Entry]\r\nEntryItems=" +
                           std::to_string(entries.size()) + "\r\n";
        for (int i = 0; i < entries.size(); ++i)
            text += QStringLiteral("EntryItem_%1=%2,\r\n").arg(i, 3, 10, QChar('0')).arg(entries[i]).toStdString();
        EXPECT_TRUE(loadWindow(uFCom_Bas::toAnsi(QString::fromStdString(text)).toStdString()));
        catalog_ = new CVMsgKey_Dialog(form_, form_->FormKeyMsgHead(), &form_->recorder());
        form_->setKeyCatalog(catalog_);
        form_->show();
        QApplication::processEvents();
        lines();  // the load line is not part of what a test checks
        return form_;
    }

    QStringList listTexts() const
    {
        QStringList out;
        for (int i = 0; i < form_->List1->count(); ++i) out << form_->List1->item(i)->text();
        return out;
    }
    // The item keys of the file, in index order, up to the first gap.
    QStringList fileEntries() const
    {
        QStringList out;
        for (int i = 0; i < 100; ++i) {
            const QString v = stored(QStringLiteral("EntryItem_%1").arg(i, 3, 10, QChar('0')));
            if (v.isEmpty()) break;
            out << v;
        }
        return out;
    }
    QColor lineColour() const { return form_->Head_Label[1]->palette().color(QPalette::Window); }

    void clickRow(int row, Qt::MouseButton button = Qt::LeftButton) { MainWindowTest::clickRow(form_->List1, row, button); }

    CVMsgKey_Dialog* catalog_ = nullptr;
    testsupport::StillClock clock_{platform::LocalTime{2025, 4, 1, 9, 30, 15, 0}};
};

}  // namespace

TEST_F(FixedFormTest, RegisterAddsReplacesOrRefuses)
{
    QStringList hundred;
    for (int i = 0; i < 100; ++i) hundred << QStringLiteral("m%1").arg(i, 3, 10, QChar('0'));
    struct Case {
        const char* name;
        QStringList before;  // stored entries (the window sorts them)
        QString typed;
        QStringList after;   // the list afterwards
        QStringList shown;   // status lines
        bool saved;          // the file was rewritten
    } cases[] = {
        {"new entry goes to its ordinal place", {"b", "d"}, "  c  ", {"b", "c", "d"}, {kAdded}, true},
        {"ordinal, not locale order", {"a", "b"}, "B", {"B", "a", "b"}, {kAdded}, true},
        {"identical text: nothing", {"abc"}, "abc", {"abc"}, {}, false},
        {"key match with other text is replaced", {"abc+"}, "abc", {"abc", "abc+"}, {kUpdated}, true},
        {"full list", hundred, "zzz", hundred, {kFull}, false},
        {"comma text has its own key", {"a"}, "a,b", {"a", "a,b"}, {kAdded}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        load(c.before);
        if (QString(c.name).startsWith("key match")) {
            // A comma in a registered part: the stored key is "abc".
            type("abc,xyz");
            click(form_->Command2[0]);
            lines();
        }
        const std::string fileBefore = testsupport::readFile(conf());
        type(c.typed, "variable part");
        click(form_->Command2[0]);
        const QColor colour = lineColour();
        EXPECT_EQ(listTexts(), c.after);
        EXPECT_EQ(lines(), c.shown);
        if (!c.shown.isEmpty()) {
            EXPECT_EQ(colour, uFCom_Bas::colorFromValue(uFCom_Bas::ColorGet(30)));
        }
        // The inputs are cleared and nothing stays selected.
        EXPECT_TRUE(form_->Text1->toPlainText().isEmpty());
        EXPECT_TRUE(form_->Text2->toPlainText().isEmpty());
        EXPECT_TRUE(form_->List1->selectedItems().isEmpty());
        if (c.saved) {
            QStringList expected;
            for (const QString& t : c.after) expected << t.section(',', 0, 0) + ",";
            EXPECT_EQ(fileEntries(), expected);
            EXPECT_EQ(stored("EntryItems").toInt(), c.after.size());
        } else {
            EXPECT_EQ(testsupport::readFile(conf()), fileBefore);
        }
        delete catalog_;
        catalog_ = nullptr;
        deleteWindow();
    }
}

TEST_F(FixedFormTest, OverlongPartsAreRefusedWithTheirLines)
{
    load({});
    const QString fixed64(64, QChar(0xFF71));  // ｱ
    type(QString(65, 'x'));
    click(form_->Command2[0]);
    EXPECT_EQ(lines(), QStringList{kHead + "固定ﾒｯｾｰｼﾞが 64 文字を超えます。"});
    EXPECT_EQ(form_->Text1->toPlainText(), QString(65, 'x'));  // left as typed
    EXPECT_EQ(form_->List1->count(), 0);

    type(fixed64, QString(65, 'v'));
    click(form_->Command2[0]);
    EXPECT_EQ(lines(), (QStringList{kHead + "可変ﾒｯｾｰｼﾞが 64 文字を超えます。採用されません。", kAdded}));
    EXPECT_EQ(listTexts(), QStringList{fixed64});
}

TEST_F(FixedFormTest, DeleteAsksAndRemovesOnlyOnOk)
{
    const QString question = QStringLiteral("削除確認|指定された定型部ﾒｯｾｰｼﾞを削除します。\n\nよろしいですか？\n\n[定型 Msg]\n");
    struct Case {
        const char* name;
        QString typed;
        bool ok;
        QStringList after;
        QStringList shown;
    } cases[] = {
        {"OK removes", "b", true, {"a", "c"}, {kDeleted}},
        {"ｷｬﾝｾﾙ keeps", "b", false, {"a", "b", "c"}, {}},
        {"text not in the list", "x", true, {"a", "b", "c"}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        load({"a", "b", "c"});
        const std::string before = testsupport::readFile(conf());
        type(c.typed);
        answer(c.ok);
        click(form_->Command2[1]);
        // The box shows CR LF line ends as line breaks.
        EXPECT_EQ(question_.replace("\r\n", "\n").replace(QChar(0x2029), "\n"), question + c.typed);
        EXPECT_EQ(listTexts(), c.after);
        EXPECT_EQ(lines(), c.shown);
        EXPECT_TRUE(form_->Text1->toPlainText().isEmpty());
        if (c.after.size() == 3) {
            EXPECT_EQ(testsupport::readFile(conf()), before);
        } else {
            EXPECT_EQ(fileEntries(), (QStringList{"a,", "c,"}));
            EXPECT_TRUE(stored("EntryItem_002").isEmpty());
            EXPECT_EQ(stored("EntryItems"), "2");
        }
        delete catalog_;
        catalog_ = nullptr;
        deleteWindow();
    }

    // An empty text asks nothing.
    load({"a"});
    type("   ");
    click(form_->Command2[1]);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(listTexts(), QStringList{"a"});
}

TEST_F(FixedFormTest, DeleteAllClearsListAndFile)
{
    load({"a", "b"});
    type("typed");
    answer(false);
    click(form_->Command5[0]);
    EXPECT_EQ(question_, "削除確認|定型部ﾒｯｾｰｼﾞを全て削除します。\n\nよろしいですか？\n\n");
    EXPECT_EQ(listTexts(), (QStringList{"a", "b"}));
    EXPECT_TRUE(form_->Text1->toPlainText().isEmpty());

    answer(true);
    click(form_->Command5[0]);
    EXPECT_EQ(form_->List1->count(), 0);
    EXPECT_EQ(lines(), QStringList{kCleared});
    EXPECT_EQ(stored("EntryItems"), "0");
    EXPECT_TRUE(stored("EntryItem_000").isEmpty());
    EXPECT_TRUE(stored("EntryItem_001").isEmpty());

    // On an empty list nothing is asked.
    answer(false);
    click(form_->Command5[0]);
    EXPECT_TRUE(question_.isEmpty());
}

TEST_F(FixedFormTest, PickAndRightClickReset)
{
    load({"abc", "def"});
    form_->Text2->setPlainText("old variable");
    clickRow(1);
    EXPECT_EQ(form_->Text1->toPlainText(), "def");
    EXPECT_TRUE(form_->Text2->toPlainText().isEmpty());
    EXPECT_EQ(form_->List1->selectedItems().size(), 1);

    // Picked and registered unchanged: identical, only the tidy-up.
    const std::string before = testsupport::readFile(conf());
    click(form_->Command2[0]);
    EXPECT_TRUE(lines().isEmpty());
    EXPECT_EQ(testsupport::readFile(conf()), before);
    EXPECT_TRUE(form_->List1->selectedItems().isEmpty());

    clickRow(0);
    form_->Text2->setPlainText("v");
    clickRow(1, Qt::RightButton);
    EXPECT_TRUE(form_->List1->selectedItems().isEmpty());
    EXPECT_TRUE(form_->Text1->toPlainText().isEmpty());
    EXPECT_TRUE(form_->Text2->toPlainText().isEmpty());
}

TEST_F(FixedFormTest, ReadOnlyFileShowsTheFailureAndKeepsTheOldFile)
{
    load({"a"});
    const std::string before = testsupport::readFile(conf());
    ASSERT_EQ(chmod(conf().c_str(), 0444), 0);
    type("b");
    click(form_->Command2[0]);
    const QColor colour = lineColour();
    // The list keeps the new entry; the failure line is the one that stays,
    // never followed by a success line.
    EXPECT_EQ(listTexts(), (QStringList{"a", "b"}));
    EXPECT_EQ(lines(), (QStringList{kFileNG}));
    (void)colour;
    EXPECT_EQ(testsupport::readFile(conf()), before);

    // Clearing the list is a change that did not reach the file: reported too.
    answer(true);
    click(form_->Command5[0]);
    EXPECT_EQ(lines(), (QStringList{kFileNG}));
    EXPECT_EQ(testsupport::readFile(conf()), before);
}

TEST_F(FixedFormTest, FailureLineIsPink)
{
    load({});
    ASSERT_EQ(chmod(conf().c_str(), 0444), 0);
    // The failure line alone: automatic confirmation changes the settings.
    int off = 0;
    form_->Form_MyConfWriteAutoGuide(off);
    EXPECT_EQ(lineColour(), QColor(255, 128, 128));
    EXPECT_EQ(lines(), QStringList{kFileNG});
    EXPECT_EQ(form_->Form_AutoGuide(), 0);
}

TEST_F(FixedFormTest, ALineBreakCountsAsTwoCharactersAndLoadsBack)
{
    const QString us(QChar(0x1F));
    struct Case {
        const char* what;
        QString typed;   // as the box holds it
        QString listed;  // the entry, or empty when refused
    } cases[] = {
        {"61 characters, a line break and one more: 64", QString(61, 'x') + "\ny", QString(61, 'x') + "\r\ny"},
        {"62 characters, a line break and one more: 65", QString(62, 'x') + "\ny", QString()},
        {"two lines of Japanese", QStringLiteral("朝礼を\n開始します。"), QStringLiteral("朝礼を\r\n開始します。")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        load({});
        type(c.typed);
        click(form_->Command2[0]);
        EXPECT_EQ(listTexts(), c.listed.isEmpty() ? QStringList() : QStringList{c.listed});
        if (c.listed.isEmpty()) {
            EXPECT_EQ(lines(), QStringList{kHead + "固定ﾒｯｾｰｼﾞが 64 文字を超えます。"});
        } else {
            // One line in the file; the next start lists it as registered,
            // and picking it puts both lines back into the box.
            EXPECT_EQ(fileEntries(), QStringList{QString(c.listed).replace("\r\n", us) + ","});
            delete catalog_;
            catalog_ = nullptr;
            deleteWindow();
            ASSERT_TRUE(loadWindow(testsupport::readFile(conf())));
            EXPECT_EQ(listTexts(), QStringList{c.listed});
            clickRow(0);
            EXPECT_EQ(uFCom_Bas::TextBoxText(form_->Text1), c.listed);
        }
        delete catalog_;
        catalog_ = nullptr;
        deleteWindow();
    }
}
