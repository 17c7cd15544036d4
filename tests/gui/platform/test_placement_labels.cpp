// The placement grid and the label that keeps half-width katakana words whole.
#include <gtest/gtest.h>

#include <QRect>
#include <QWidget>

#include "gui/platform/kanalabel.h"
#include "gui/platform/ufcom.h"
#include "gui_fakes.h"

using namespace uFCom_Bas;

// Each main window keeps its own placement: its dialogs are placed from the
// window they belong to, never from another window placed later, and a
// window never placed gives the empty record at 15 twips per pixel.
TEST(PlaceCalc, EachWindowKeepsItsOwnPlacement)
{
    testsupport::FakeWorkArea workArea(QRect(0, 0, 1280, 738));
    QWidget first, second, unplaced;
    PlaceCalc(&first, "NOMAL", 1, 3, 8, 12);
    PlaceCalc(&second, "NOMAL", 5, 0, 4, 4);
    QWidget child(&first);
    EXPECT_EQ(PlaceGet(&child).topCells, 1);
    EXPECT_EQ(PlaceGet(&first).leftCells, 3);
    EXPECT_EQ(PlaceGet(&second).topCells, 5);
    EXPECT_EQ(PlaceGet(&second).widthCells, 4);
    EXPECT_EQ(PlaceGet(&unplaced).areaWidth, 0);
    EXPECT_EQ(PlaceGet(nullptr).twipsPerPixelX(), 15);
    // Placed again, a window replaces its record instead of adding one.
    PlaceCalc(&first, "NOMAL", 2, 2, 8, 12);
    EXPECT_EQ(PlaceGet(&first).topCells, 2);
    EXPECT_EQ(first.findChildren<QObject*>(QStringLiteral("PlacementRecord")).size(), 1);
}

TEST(PlaceCalc, ClampsToTheGridOfTheWorkArea)
{
    testsupport::FakeWorkArea workArea(QRect(0, 0, 1280, 738));
    QWidget window;
    int ux = 0, uy = 0;
    ScaleGet(&window, ux, uy);
    ASSERT_EQ(ux, 15) << "tests run at 96 dpi";
    struct Case {
        int top, left, width, height;
        int topCells, leftCells, widthCells, heightCells;
    } cases[] = {
        {1, 3, 8, 12, 1, 3, 8, 12},
        {1, 3, 0, 12, 1, 3, 1, 12},     // width 0 -> 1
        {1, 3, 20, 12, 1, 0, 15, 12},   // width 20 -> 15, left moved in
        {-15, 0, 8, 12, -11, 0, 8, 12}, // far above: one row stays on the grid
        {0, -40, 8, 12, 0, -7, 8, 12},
        {14, 3, 8, 12, 3, 3, 8, 12},    // past the bottom: moved up inside
        {5, 14, 4, 4, 5, 11, 4, 4},
        {2, 2, -3, -1, 2, 2, 1, 1},
    };
    for (const Case& c : cases) {
        PlaceCalc(&window, "NOMAL", c.top, c.left, c.width, c.height);
        const PlaceRecord r = PlaceGet(&window);
        EXPECT_EQ(r.topCells, c.topCells) << c.top << "," << c.left << "," << c.width << "," << c.height;
        EXPECT_EQ(r.leftCells, c.leftCells) << c.top << "," << c.left << "," << c.width << "," << c.height;
        EXPECT_EQ(r.widthCells, c.widthCells);
        EXPECT_EQ(r.heightCells, c.heightCells);
        EXPECT_EQ(r.top, 738 * r.topCells);
        EXPECT_EQ(r.left, 1280 * r.leftCells);
        EXPECT_EQ(r.width, 1280 * r.widthCells);
        EXPECT_EQ(r.height, 738 * r.heightCells);
        EXPECT_EQ(r.areaWidth, 1280 * 15);
        EXPECT_EQ(r.areaHeight, 738 * 15);
        // The top-left cell is inside the work area whenever the caller's
        // values were not pushed off its top or left.
        if (c.top >= 0) {
            EXPECT_LT(r.topCells, 15);
        }
        if (c.left >= 0) {
            EXPECT_LT(r.leftCells, 15);
        }
    }
}

TEST(JoinHalfwidthKanaWords, JoinsOnlyInsideRunsOfHalfwidthKatakana)
{
    const QString j = QString(QChar(0x2060));
    struct Case {
        QString text, joined;
    } cases[] = {
        {"", ""},
        {"ｱ", "ｱ"},
        {"ｺｰｳﾞｪｲﾝ", "ｺ" + j + "ｰ" + j + "ｳ" + j + "ﾞ" + j + "ｪ" + j + "ｲ" + j + "ﾝ"},
        {"(但し、ｺｰがある", "(但し、ｺ" + j + "ｰがある"},
        {"ｶﾞ部ﾒｯ", "ｶ" + j + "ﾞ部ﾒ" + j + "ｯ"},
        {"ｶﾞｲ ﾄﾞ", "ｶ" + j + "ﾞ" + j + "ｲ ﾄ" + j + "ﾞ"},
        {"ｺ\r\nｺ", "ｺ\r\nｺ"},
        {"コーヴェイン", "コーヴェイン"},  // full-width katakana breaks as Japanese text does
        {"ABC 定型", "ABC 定型"},
        {"ｺ･ｺ", "ｺ･ｺ"},  // the half-width middle dot separates words
    };
    for (const Case& c : cases) {
        EXPECT_EQ(joinHalfwidthKanaWords(c.text), c.joined) << c.text.toStdString();
    }
}
