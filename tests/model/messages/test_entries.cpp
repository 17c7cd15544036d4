// The entries and the two lists as values: order, limits, lookups and what
// the due check takes.  New rules of the lists are tested here.
#include <gtest/gtest.h>

#include "core/datetime.h"
#include "model/messages/entries.h"
#include "model/messages/statustexts.h"
#include "test_support.h"

using namespace uFMsg;

namespace {

QStringList taken(const QList<DueEntry>& due)
{
    QStringList out;
    for (const DueEntry& d : due)
        out << QString::number(d.row) + ":" + d.entry.text() + "|" + d.entry.fixed() + "|" + d.entry.variable();
    return out;
}

}  // namespace

TEST(GuideSchedule, TakeDueTakesWhatHasComeInListOrderAndLeavesTheRest)
{
    const QString now = "2026/12/08-10:16";
    struct Case {
        const char* what;
        QStringList entries;  // in list order
        QStringList taken;    // row when taken: text|fixed|variable
        QStringList left;
    } cases[] = {
        {"nothing listed", {}, {}, {}},
        {"the minute itself and earlier ones, not later ones",
         {"2026/12/08-10:15,a,", "2026/12/08-10:16,b,v", "2026/12/08-10:17,c,"},
         {"0:2026/12/08-10:15,a,|a|", "0:2026/12/08-10:16,b,v|b|v"},
         {"2026/12/08-10:17,c,"}},
        {"rows count what stays before and not what was taken",
         {",nodue,", "2026/12/08-10:00,a,", "2026/12/08-10:10,b,"},
         {"1:2026/12/08-10:00,a,|a|", "1:2026/12/08-10:10,b,|b|"},
         {",nodue,"}},
        {"taken trimmed; a blank entry and one without a due minute stay",
         {"   ", " 2026/12/08-10:00,x,y ", ",nodue,"},
         {"1:2026/12/08-10:00,x,y|x|y"},
         {"   ", ",nodue,"}},
        {"equal entries go together", {"2026/12/08-10:00,same,", "2026/12/08-10:00,same,"},
         {"0:2026/12/08-10:00,same,|same|", "0:2026/12/08-10:00,same,|same|"}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GuideSchedule schedule;
        schedule.assign(c.entries);
        ASSERT_EQ(schedule.texts(), c.entries) << "the cases list their entries in order";
        EXPECT_EQ(taken(schedule.takeDue(DueMinute::fromText(now))), c.taken);
        EXPECT_EQ(schedule.texts(), c.left);
    }
}

TEST(EntryList, OrdinalOrderEqualsBehindEqualsAndTheLimit)
{
    EntryList list;
    EXPECT_EQ(list.insertSorted("b"), 0);
    EXPECT_EQ(list.insertSorted("a"), 0);
    EXPECT_EQ(list.insertSorted("b"), 2) << "behind its equal";
    EXPECT_EQ(list.insertSorted("B"), 0) << "upper case before lower, whatever the locale";
    EXPECT_EQ(list.texts(), (QStringList{"B", "a", "b", "b"}));
    list.replace(1, "z");  // stays where it is
    list.replace(9, "out of range");
    list.removeAt(-1);
    list.removeAt(4);
    EXPECT_EQ(list.texts(), (QStringList{"B", "z", "b", "b"}));
    list.assign({"y", "x", "y"});
    EXPECT_EQ(list.texts(), (QStringList{"x", "y", "y"}));

    EntryList full;
    for (int i = 0; i < ListItemMax - 1; ++i) full.insertSorted(QString::number(i));
    EXPECT_FALSE(full.isFull());
    full.insertSorted("last");
    EXPECT_TRUE(full.isFull());
}

TEST(EntryLists, LookupsByKeyAndByTrimmedText)
{
    FixedFormEntries entries;
    entries.assign({"朝礼,", "昼休み", "朝礼,別"});
    GuideSchedule schedule;
    schedule.assign({" 2026/12/08-10:00,a, ", "2026/12/08-11:00,b,"});
    struct Case {
        const char* what;
        int got, expected;
    } cases[] = {
        {"an empty key", entries.find(""), -9},
        {"the key is the first comma field, the lowest row wins", entries.find("朝礼"), 1},
        {"a whole entry with a comma is no key", entries.find("朝礼,別"), -1},
        {"no such key", entries.find("朝"), -1},
        {"a guide entry by its trimmed text", schedule.find("2026/12/08-10:00,a,"), 0},
        {"untrimmed text finds nothing", schedule.find(" 2026/12/08-10:00,a, "), -1},
        {"an empty text", schedule.find(""), -9},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.got, c.expected) << c.what;
    }
}

TEST(StatusTexts, NumberedLinesAndReservedNumbers)
{
    EXPECT_EQ(StatusText(kLoaded), "を Load しました。");
    EXPECT_EQ(StatusText(kEntryFull), "定型部ﾒｯｾｰｼﾞに登録できません。最大登録数[100]を超えます。");
    EXPECT_EQ(StatusText(217), "ｶﾞｲﾄﾞ部監視の登録がありません。停止します。");
    int listed = 0;
    for (const auto& [first, last] : kStatusRanges)
        for (int no = first; no <= last; ++no) listed += !StatusText(no).isEmpty();
    EXPECT_EQ(listed, 15) << "1, 2, 201 to 205 and 211 to 218";
    for (int reserved : {0, 3, 206, 210, 219, 300}) {
        EXPECT_TRUE(StatusText(reserved).isEmpty()) << reserved;
    }
}

// A guide entry is taken apart once: the due minute and the parts trimmed,
// the stored form from the fields as they stand, so that any listed text
// keeps the bytes it is stored with.
TEST(GuideEntry, FieldsAndStoredFormOfListedTexts)
{
    struct Case {
        QString text, due, fixed, variable, stored, confirm;
        QString listed = QString();  // the listed text when it differs from text
        bool placed = false;
    } cases[] = {
        {"2026/12/08-10:00,a,b", "2026/12/08-10:00", "a", "b", "2026/12/08-10:00,a,b,", "2026/12/08-10:00|a|b"},
        {" 2026/12/08-10:00 , a , b ", "2026/12/08-10:00", "a", "b", "2026/12/08-10:00 , a , b,",
         "2026/12/08-10:00 | a | b"},
        {"2026/12/08-10:00,a,", "2026/12/08-10:00", "a", "", "2026/12/08-10:00,a,,", "2026/12/08-10:00|a|"},
        {"2026/12/08-10:00,a,b,c,d", "2026/12/08-10:00", "a", "b", "2026/12/08-10:00,a,b,", "2026/12/08-10:00|a|b"},
        {"2026/12/08-10:00", "2026/12/08-10:00", "", "", "2026/12/08-10:00,,,", "2026/12/08-10:00||"},
        {",nodue,", "", "nodue", "", "", "|nodue|"},
        {"   ", "", "", "", "", "||"},
        // A fourth field of options is kept beside the entry, not listed.
        {"2026/12/08-10:00,a,b,繰り返し,", "2026/12/08-10:00", "a", "b", "2026/12/08-10:00,a,b,繰り返し,",
         "2026/12/08-10:00|a|b", "2026/12/08-10:00,a,b,", true},
        {" 2026/12/08-10:00,a,, 繰り返し ", "2026/12/08-10:00", "a", "", "2026/12/08-10:00,a,,繰り返し,",
         "2026/12/08-10:00|a|", "2026/12/08-10:00,a,,", true},
        // One item not understood: no options field, ignored as before.
        {"2026/12/08-10:00,a,b,繰り返し;x,", "2026/12/08-10:00", "a", "b", "2026/12/08-10:00,a,b,",
         "2026/12/08-10:00|a|b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        const GuideEntry e(c.text);
        EXPECT_EQ(e.text(), c.listed.isNull() ? c.text : c.listed);
        EXPECT_EQ(e.options().placed, c.placed);
        // The stored form reads back as the same entry.
        EXPECT_EQ(GuideEntry(e.storedForm()).storedForm(), e.storedForm());
        EXPECT_EQ(e.due().text(), c.due);
        EXPECT_EQ(e.due().isNull(), c.due.isEmpty());
        EXPECT_EQ(e.fixed(), c.fixed);
        EXPECT_EQ(e.variable(), c.variable);
        EXPECT_EQ(e.storedForm(), c.stored);
        EXPECT_EQ(e.confirmForm(), "[ｶﾞｲﾄﾞﾒｯｾｰｼﾞ]\r\n" + QString(c.confirm).replace('|', "\r\n"));
    }
    EXPECT_EQ(DueMinute::of(QDate(2026, 1, 5), 7, 3).text(), "2026/01/05-07:03");
    EXPECT_TRUE(DueMinute::of(QDate(2026, 1, 5), 7, 4).laterThan(DueMinute::of(QDate(2026, 1, 5), 7, 3)));
    EXPECT_FALSE(DueMinute::of(QDate(2026, 1, 5), 7, 3).laterThan(DueMinute::of(QDate(2026, 1, 5), 7, 3)));
}

// A minute's text is taken apart once: its day, its minute of the day, and
// minutes on; a stored text that is no minute keeps its text and no day.
TEST(DueMinute, TakenApartOnceFromItsText)
{
    struct Case {
        QString text;
        QDate day;         // invalid: not well formed
        int minuteOfDay;   // -1: not well formed
        int add;
        QString added;     // text + add minutes
    } cases[] = {
        {"2026/12/08-10:16", QDate(2026, 12, 8), 616, 1, "2026/12/08-10:17"},
        {"2026/12/31-23:59", QDate(2026, 12, 31), 1439, 1, "2027/01/01-00:00"},
        {"2028/03/01-00:05", QDate(2028, 3, 1), 5, -10, "2028/02/29-23:55"},
        {"2026/12/08-10:16", QDate(2026, 12, 8), 616, 7 * 1440, "2026/12/15-10:16"},
        {"2026/02/30-10:00", QDate(), -1, 1, ""},  // no such day
        {"2026/12/08-24:00", QDate(), -1, 1, ""},
        {"2026/12/08 10:16", QDate(), -1, 1, ""},
        {"2026/1/08-10:16x", QDate(), -1, 1, ""},
        {"２０２６/12/08-10:16", QDate(), -1, 1, ""},
        {"", QDate(), -1, 1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        const DueMinute m = DueMinute::fromText(c.text);
        EXPECT_EQ(m.text(), c.text);
        EXPECT_EQ(m.day(), c.day);
        EXPECT_EQ(m.minuteOfDay(), c.minuteOfDay);
        EXPECT_EQ(m.isValid(), c.day.isValid());
        EXPECT_EQ(m.addMinutes(c.add).text(), c.added);
        if (m.isValid()) {
            EXPECT_EQ(DueMinute::of(c.day, c.minuteOfDay), m);
            EXPECT_EQ(m.minutesTo(m.addMinutes(c.add)), c.add);
        }
    }
    EXPECT_TRUE(DueMinute::of(QDate(2026, 12, 8), 24, 0).isNull());
    EXPECT_EQ(DueMinute::fromReading(platform::LocalTime{2026, 12, 8, 9, 5, 59, 999}).text(), "2026/12/08-09:05");
}

// A view that follows a list through its changes holds the list's texts
// after every kind of change, the due check's removals included.
TEST(ObservedList, AFollowerSeesEveryChange)
{
    GuideSchedule schedule;
    QStringList mirror, second;
    auto follow = [](QStringList& m) {
        return [&m](const ListChange& c) {
            switch (c.kind) {
            case ListChange::Insert: m.insert(c.row, c.texts.value(0)); break;
            case ListChange::Replace: m[c.row] = c.texts.value(0); break;
            case ListChange::Remove: m.removeAt(c.row); break;
            case ListChange::Reset: m = c.texts; break;
            }
        };
    };
    schedule.observe(follow(mirror));
    // A second follower never unhooks the first.
    const int token = schedule.observe(follow(second));
    const std::function<void()> steps[] = {
        [&] { schedule.assign({"2026/12/08-10:20,c,", "2026/12/08-10:00,a,", "2026/12/08-10:10,b,"}); },
        [&] { schedule.insertSorted(QString("2026/12/08-10:05,x,")); },
        [&] { schedule.replace(0, QString("2026/12/08-10:00,a,v")); },
        [&] { schedule.removeAt(3); },
        [&] { schedule.takeDue(DueMinute::fromText("2026/12/08-10:06")); },
        [&] { schedule.clear(); },
    };
    for (const auto& step : steps) {
        step();
        EXPECT_EQ(mirror, schedule.texts());
        EXPECT_EQ(second, schedule.texts());
    }
    // One that leaves stops hearing; the other goes on.
    schedule.unobserve(token);
    schedule.insertSorted(QString("2026/12/08-11:00,y,"));
    EXPECT_EQ(mirror, schedule.texts());
    EXPECT_TRUE(second.isEmpty());
}
