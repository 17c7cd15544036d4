// Message parts, lookups, entry forms and the list order.
#include <gtest/gtest.h>


#include "model/messages/entries.h"

using namespace uFMsg;

TEST(MsgRules, InputPartsAreTrimmedAndLimited)
{
    struct Case {
        QString text1, text2;
        QString fixed, variable;
        int lines;
    } cases[] = {
        {"  abc  ", " v ", "abc", "v", 0},
        {QString(64, 'x'), "", QString(64, 'x'), "", 0},
        {QString(65, 'x'), "v", "", "v", 1},
        {"a", QString(65, 'y'), "a", "", 1},
        {QString(65, 'x'), QString(65, 'y'), "", "", 2},
        {"   ", "v", "", "v", 0},
        {QString(QChar(0x3000)) + "a", "", QString(QChar(0x3000)) + "a", "", 0},  // full-width space stays
        {QString(63, 'x') + "\r\n", "", "", "", 1},                              // a line break is two
        {QString(31, QChar(0x4E00)) + QString::fromUtf8("😀"), "", QString(31, QChar(0x4E00)) + QString::fromUtf8("😀"), "", 0},
        {QString(63, 'x') + QString::fromUtf8("😀"), "", "", "", 1},              // surrogate pair is two
        {"\tx\t", "", "\tx\t", "", 0},
    };
    for (const Case& c : cases) {
        QStringList shown;
        const MsgInput in = MsgInputGet(c.text1, c.text2, "[H]", [&](const QString& l) { shown << l; });
        EXPECT_EQ(in.fixed, c.fixed) << c.text1.toStdString();
        EXPECT_EQ(in.variable, c.variable) << c.text2.toStdString();
        EXPECT_EQ(shown.size(), c.lines) << c.text1.toStdString();
    }
}

TEST(MsgRules, LookupsCompareExactly)
{
    // Found in list order: " spaced " sorts first, so the rows are those of
    // the sorted collection.
    FixedFormEntries entries;
    GuideSchedule schedule;
    for (const char* t : {"ABC", "abc,xyz", "ｱ", " spaced "}) {
        entries.insertSorted(t);
        schedule.insertSorted(t);
    }
    EXPECT_EQ(entries.find(""), -9);
    EXPECT_EQ(entries.find("abc"), 2);
    EXPECT_EQ(entries.find("abc,xyz"), -1);
    EXPECT_EQ(entries.find("ア"), -1);
    EXPECT_EQ(entries.find("ｱ"), 3);
    EXPECT_EQ(schedule.find("spaced"), 0);
    EXPECT_EQ(schedule.find(""), -9);
    EXPECT_EQ(FixedFormEntries().find("x"), -1);
    EXPECT_EQ(GuideSchedule().find("x"), -1);
}

TEST(MsgRules, GuideEntryFormsAndDueRule)
{
    const GuideEntry f = GuideEntry::compose(DueMinute::fromText("2025/04/01-09:30"), "x,y", "z");
    EXPECT_EQ(f.text(), "2025/04/01-09:30,x,y,z");
    EXPECT_EQ(f.fixed(), "x");
    EXPECT_EQ(f.variable(), "y");

    const QString noVar = "2025/04/01-09:30,朝礼開始,";
    EXPECT_EQ(GuideEntry(noVar).detailForm(), "2025/04/01-09:30\r\n朝礼開始\r\n");
    EXPECT_EQ(GuideEntry(noVar).popupBlock(), "2025/04/01-09:30\r\n朝礼開始\r\n\r\n\r\n");
    EXPECT_EQ(GuideEntry(" a,b,c ").confirmForm(), "[ｶﾞｲﾄﾞﾒｯｾｰｼﾞ]\r\na\r\nb\r\nc");
    EXPECT_EQ(EntryConfirmForm("m"), "[定型 Msg]\r\nm");

    EXPECT_EQ(DueMinute::fromDisplay("2025/04/01 09:30:59:999").text(), "2025/04/01-09:30");
    auto isDue = [](const char* due, const char* now) {
        return DueMinute::fromText(due).dueAt(DueMinute::fromText(now));
    };
    EXPECT_TRUE(isDue("2025/04/01-09:30", "2025/04/01-09:30"));
    EXPECT_TRUE(isDue("2025/04/01-09:29", "2025/04/01-09:30"));
    EXPECT_FALSE(isDue("2025/04/01-09:31", "2025/04/01-09:30"));
    EXPECT_FALSE(isDue("Tomorrow", "2025/04/01-09:30"));
}

TEST(MsgRules, ListsKeepOrdinalOrder)
{
    EntryList list;
    const QStringList in = {"b", "B", "a", "ｱ", "ア", "a", "2025/04/01-10:00,x", "2025/04/01-09:00,y", "Z", "é", "e"};
    for (const QString& t : in) list.insertSorted(t);
    const QStringList got = list.texts();
    QStringList expected = in;
    std::sort(expected.begin(), expected.end(),
              [](const QString& x, const QString& y) { return QString::compare(x, y, Qt::CaseSensitive) < 0; });
    EXPECT_EQ(got, expected);
    EXPECT_EQ(got.indexOf("a") + 1, got.lastIndexOf("a"));  // equal texts stand together
}
