// The colour table and its mapping to Qt colours.
#include "gui/headline/colors.h"

#include <QGuiApplication>
#include <QPalette>
#include <gtest/gtest.h>

namespace {

TEST(ColorTable, IndexesGiveTheirColourValuesAndOthersPassThrough)
{
    using uFCom_Bas::rgbValue;
    const std::pair<int, int> cases[] = {
        {0, 0},
        {1, int(0x80000008u)},
        {7, int(0x80000010u)},
        {8, int(0x8000000Fu)},
        {9, int(0x80000005u)},
        {10, rgbValue(255, 0, 0)},
        {15, rgbValue(255, 128, 128)},
        {21, rgbValue(128, 64, 64)},
        {30, rgbValue(255, 255, 128)},
        {41, rgbValue(0, 64, 0)},
        {60, 0xFF0000},
        {76, rgbValue(255, 192, 255)},
        {100, rgbValue(255, 245, 180)},
        {101, rgbValue(175, 255, 255)},
        // outside the table: unchanged
        {17, 17}, {29, 29}, {77, 77}, {99, 99}, {102, 102}, {-1, -1}, {-5, -5},
        {0x00FF00, 0x00FF00},
    };
    for (const auto& [index, value] : cases) {
        EXPECT_EQ(uFCom_Bas::ColorGet(index), value) << "index " << index;
    }
}

TEST(ColorTable, ValuesBecomeQtColours)
{
    const QPalette pal = QGuiApplication::palette();
    EXPECT_EQ(uFCom_Bas::colorFromValue(uFCom_Bas::ColorGet(15)), QColor(255, 128, 128));
    EXPECT_EQ(uFCom_Bas::colorFromValue(uFCom_Bas::ColorGet(60)), QColor(0, 0, 255));
    EXPECT_EQ(uFCom_Bas::colorFromValue(0), QColor(0, 0, 0));
    EXPECT_EQ(uFCom_Bas::colorFromValue(uFCom_Bas::ColorGet(1)), pal.color(QPalette::WindowText));
    EXPECT_EQ(uFCom_Bas::colorFromValue(uFCom_Bas::ColorGet(7)), pal.color(QPalette::Dark));
    EXPECT_EQ(uFCom_Bas::colorFromValue(uFCom_Bas::ColorGet(8)), pal.color(QPalette::Button));
    EXPECT_EQ(uFCom_Bas::colorFromValue(uFCom_Bas::ColorGet(9)), pal.color(QPalette::Base));
    // Not colours: -1 (the label's own colour), other negatives, unknown
    // system colours, values above 24 bits.
    for (int v : {-1, -5, int(0x80000099u), 0x01000000}) {
        EXPECT_FALSE(uFCom_Bas::colorFromValue(v).isValid()) << v;
    }
}

}  // namespace
