// The message-key catalogue: its content, lookups, the forced notification
// and how the dialog hides instead of closing.
#include "../headline/fake_main.h"
#include "gui/headline/colors.h"
#include "gui/recorder/keycatalog.h"
#include "gui_fakes.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <optional>

using headtest::FakeMain;
using headtest::FakeRecorder;

namespace {

const QString kPrefix = QStringLiteral("[ｳﾞｪﾙﾓﾗ]");

class KeyCatalogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        main = std::make_unique<FakeMain>();
        dialog = new CVMsgKey_Dialog(&main->window, kPrefix);
    }
    void TearDown() override
    {
        main.reset();  // takes the dialog with it
    }
    int rowOf(int no) const { return dialog->KeyMsgIndex(no); }

    headtest::FixedClock clock_;
    testsupport::FakeWindowSearch noRecorder_{false};
    std::unique_ptr<FakeMain> main;
    CVMsgKey_Dialog* dialog = nullptr;
};

TEST_F(KeyCatalogTest, LoadsHiddenWithFifteenMessages)
{
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("ｳﾞｪﾙﾓﾗﾒｯｾｰｼﾞ"));
    EXPECT_EQ(dialog->List1->count(), 15);
    EXPECT_EQ(dialog->Label1[1]->text(), QStringLiteral("15"));
    EXPECT_EQ(dialog->Label1[0]->text(), QStringLiteral("登録数"));
    EXPECT_TRUE(dialog->Label2->text().startsWith(QStringLiteral("選択ﾒｯｾｰｼﾞをｺｰｳﾞｪｲﾝへ強制的に通知します。")));
    // Every entry: prefix, 128-character field, number, trailing comma.
    const QString first = dialog->List1->item(0)->text();
    EXPECT_EQ(first.indexOf(','), kPrefix.size() + 128);
    EXPECT_TRUE(first.endsWith(','));
    // Kept in code-unit order, whatever the locale.
    for (int i = 1; i < dialog->List1->count(); ++i) {
        EXPECT_LT(dialog->List1->item(i - 1)->text(), dialog->List1->item(i)->text());
    }
}

TEST_F(KeyCatalogTest, KeyMsgGetReturnsPrefixAndTextOrNothing)
{
    const std::pair<int, QString> cases[] = {
        {1, kPrefix + "を Load しました。"},
        {2, kPrefix + "を UnLoad しました。"},
        {203, kPrefix + "定型部ﾒｯｾｰｼﾞを更新しました。"},
        {202, kPrefix + "定型部ﾒｯｾｰｼﾞに登録できません。最大登録数[100]を超えます。"},
        {212, kPrefix + "ｶﾞｲﾄﾞ部ﾒｯｾｰｼﾞに登録できません。最大登録数[100]を超えます。"},
        {217, kPrefix + "ｶﾞｲﾄﾞ部監視の登録がありません。停止します。"},
        {218, kPrefix + "ｶﾞｲﾄﾞ部ﾒｯｾｰｼﾞを全て削除しました。"},
        // reserved and unknown numbers
        {3, QString()}, {10, QString()}, {101, QString()}, {206, QString()}, {219, QString()},
        {220, QString()}, {0, QString()}, {-1, QString()}, {300, QString()},
    };
    for (const auto& [no, text] : cases) {
        EXPECT_EQ(dialog->KeyMsgGet(no), text) << no;
        EXPECT_EQ(dialog->KeyMsgIndex(no) >= 0, !text.isEmpty()) << no;
    }
}

TEST_F(KeyCatalogTest, TitleWithACommaDoesNotBreakTheLookups)
{
    auto* titled = new CVMsgKey_Dialog(&main->window, QStringLiteral("[VL,2]"));
    titled->KeyMsgListSet();
    EXPECT_EQ(titled->List1->count(), 15);
    EXPECT_EQ(titled->KeyMsgGet(203), QStringLiteral("[VL,2]定型部ﾒｯｾｰｼﾞを更新しました。"));
    EXPECT_EQ(titled->KeyMsgGet(3), QString());
}

TEST_F(KeyCatalogTest, KeyMsgAddRefusesBlankDuplicateAndCutsLongTexts)
{
    dialog->KeyMsgAdd(500, QString());
    dialog->KeyMsgAdd(501, QStringLiteral("   "));
    dialog->KeyMsgAdd(203, QStringLiteral("別の文"));
    EXPECT_EQ(dialog->List1->count(), 15);
    EXPECT_EQ(dialog->KeyMsgGet(203), kPrefix + "定型部ﾒｯｾｰｼﾞを更新しました。");

    dialog->KeyMsgAdd(502, QStringLiteral("  ") + QString(130, QChar(u'ｱ')) + QStringLiteral("  "));
    EXPECT_EQ(dialog->KeyMsgGet(502), kPrefix + QString(128, QChar(u'ｱ')));
    EXPECT_EQ(dialog->List1->count(), 16);
}

struct Refusal {
    const char* name;
    bool alive;
    bool emptyList;
    bool select;
    QString message;
    int colourIndex;
};

TEST_F(KeyCatalogTest, ForcedNotificationRefusalsAreShownAndSendNothing)
{
    const Refusal cases[] = {
        {"no recorder", false, false, true, "ｺｰｳﾞｪｲﾝは起動されていません。", 15},
        {"empty list", true, true, false, "ﾒｯｾｰｼﾞはありません。", 30},
        {"nothing selected", true, false, false, "ﾒｯｾｰｼﾞを選択して下さい。", 30},
    };
    for (const Refusal& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        FakeRecorder recorder;
        if (!recorder.ok()) GTEST_SKIP() << "the recorder's mailslot is in use";
        recorder.setAlive(c.alive);
        delete dialog;
        dialog = new CVMsgKey_Dialog(&main->window, kPrefix, &recorder.link());
        if (c.emptyList) dialog->List1->clear();
        if (c.select) dialog->List1->setCurrentRow(rowOf(203));

        dialog->show();
        QTest::mouseClick(dialog->Command1, Qt::LeftButton);

        EXPECT_EQ(main->head->text(), headtest::kStamp + kPrefix + c.message);
        EXPECT_EQ(main->background(), uFCom_Bas::colorFromValue(uFCom_Bas::ColorGet(c.colourIndex)));
        EXPECT_TRUE(recorder.received().isEmpty());
        EXPECT_TRUE(dialog->isVisible());
        if (c.select) {
            ASSERT_EQ(dialog->List1->selectedItems().size(), 1);
            EXPECT_EQ(dialog->List1->row(dialog->List1->selectedItems().first()), rowOf(203));
        }
        dialog->hide();
    }
}

TEST_F(KeyCatalogTest, ForcedNotificationSendsThreeLinesAndLeavesTheHeadLineAlone)
{
    FakeRecorder recorder;
    if (!recorder.ok()) GTEST_SKIP() << "the recorder's mailslot is in use";
    delete dialog;
    dialog = new CVMsgKey_Dialog(&main->window, kPrefix, &recorder.link());
    uFHLabel_Bas::HeadMsgShow(&main->window, uFHLabel_Bas::HeadMode::Show, -1, "前の行", QString());
    const QString shown = main->head->text();
    const QStringList history = main->historyItems();

    dialog->show();
    dialog->List1->setCurrentRow(rowOf(215));
    QTest::mouseClick(dialog->Command1, Qt::LeftButton);

    const QString dashes(37, QChar('-'));
    EXPECT_EQ(recorder.received(), (QStringList{
                                       kPrefix + dashes + ">>強制通知|",
                                       kPrefix + "ｶﾞｲﾄﾞ部監視を開始しました。|",
                                       kPrefix + dashes + "<<強制通知|",
                                   }));
    EXPECT_EQ(main->head->text(), shown);
    EXPECT_EQ(main->historyItems(), history);
    EXPECT_TRUE(dialog->List1->selectedItems().isEmpty());
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(KeyCatalogTest, BackButtonCloseBoxAndEscapeOnlyHide)
{
    const QStringList before = [&] {
        QStringList l;
        for (int i = 0; i < dialog->List1->count(); ++i) l << dialog->List1->item(i)->text();
        return l;
    }();
    auto reopenAndSelect = [&] {
        dialog->show();
        dialog->List1->setCurrentRow(2);
        ASSERT_TRUE(dialog->isVisible());
    };

    // Shown modally from the menu: 戻る ends the modal display.
    testsupport::answerNextModal([](QWidget* w) {
        auto* shown = qobject_cast<CVMsgKey_Dialog*>(w);
        ASSERT_NE(shown, nullptr);
        shown->List1->setCurrentRow(2);
        QTest::mouseClick(shown->Command2, Qt::LeftButton);
    });
    dialog->exec();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(dialog->List1->selectedItems().isEmpty());

    reopenAndSelect();
    QCloseEvent byOperator;
    QApplication::sendEvent(dialog, &byOperator);
    EXPECT_FALSE(byOperator.isAccepted());
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(dialog->List1->selectedItems().isEmpty());

    reopenAndSelect();
    QTest::keyClick(dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());

    // Reopened: the same catalogue, not rebuilt.
    dialog->show();
    QStringList after;
    for (int i = 0; i < dialog->List1->count(); ++i) after << dialog->List1->item(i)->text();
    EXPECT_EQ(after, before);

    // At shutdown the main window lets it close.
    dialog->setUnloading(true);
    QCloseEvent atShutdown;
    QApplication::sendEvent(dialog, &atShutdown);
    EXPECT_TRUE(atShutdown.isAccepted());
}

TEST_F(KeyCatalogTest, RightClickOnTheListClearsTheSelection)
{
    dialog->show();
    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
    QListWidget* list = dialog->List1;
    const QPoint onItem = list->visualItemRect(list->item(1)).center();

    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, onItem);
    ASSERT_EQ(list->selectedItems().size(), 1);

    QTest::mouseClick(list->viewport(), Qt::RightButton, {}, list->visualItemRect(list->item(4)).center());
    EXPECT_TRUE(list->selectedItems().isEmpty());
    EXPECT_TRUE(dialog->Dummy_Text->hasFocus());
}

TEST_F(KeyCatalogTest, OpensWhereTheMainWindowWasPlacedAtLoad)
{
    std::optional<testsupport::FakeWorkArea> workArea(std::in_place, QRect(0, 0, 1500, 900));
    uFCom_Bas::PlaceCalc(&main->window, QStringLiteral("NOMAL"), 1, 3, 8, 12);
    const uFCom_Bas::PlaceRecord place = uFCom_Bas::PlaceGet(&main->window);
    auto* placed = new CVMsgKey_Dialog(&main->window, kPrefix);
    workArea.reset();

    // top = rectangle top + 0.2 height, left = rectangle left + 0.1 width
    const int unitsY = place.unitsY > 0 ? place.unitsY : 15;
    const int unitsX = place.unitsX > 0 ? place.unitsX : 15;
    const QPoint expected(int(std::lround((place.left + 0.1 * place.width) / unitsX)),
                          int(std::lround((place.top + 0.2 * place.height) / unitsY)));
    main->window.move(300, 200);
    main->window.show();
    placed->show();
    EXPECT_EQ(placed->pos(), expected);
    EXPECT_EQ(placed->windowIcon().cacheKey(), main->window.windowIcon().cacheKey());
}

}  // namespace
