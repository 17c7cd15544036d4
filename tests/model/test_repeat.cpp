// Repeat rules: what is understood, when the next occurrence falls, and how
// the rules and their occurrences reach the file and come back from it.
#include <gtest/gtest.h>

#include "model/config/myconf.h"
#include "model/messages/repeat.h"
#include "model/platform/text.h"
#include "test_support.h"

using uFMsg::DueMinute;
using uFMsg::GuideEntry;
using uFMsg::GuideSchedule;
using uFMsg::RepeatRule;
using uFMsg::RepeatRules;

namespace {

DueMinute minute(const char* text)
{
    return DueMinute::fromText(QString::fromUtf8(text));
}

RepeatRule rule(const char* stored)
{
    const std::optional<RepeatRule> r = RepeatRule::parse(QString::fromUtf8(stored));
    EXPECT_TRUE(r.has_value()) << stored;
    return r.value_or(RepeatRule());
}

}  // namespace

TEST(RepeatRuleTest, StoredTextsAreUnderstoodOrRefused)
{
    struct Case {
        const char* stored;
        const char* storedAgain;  // nullptr: refused
    } cases[] = {
        {"平日,08:30,朝礼を開始します。,,", "平日,08:30,朝礼を開始します。,,"},
        {"毎週金,17:00,終業時刻です。,週報提出,", "毎週金,17:00,終業時刻です。,週報提出,"},
        {" 毎日 , 12:00 , 昼休みです。 ", "毎日,12:00,昼休みです。,,"},
        {"毎週日,00:00,a\r\nb,c,", "毎週日,00:00,a\r\nb,c,"},
        {"毎週,08:30,a,,", nullptr},
        {"毎週月火,08:30,a,,", nullptr},
        {"隔週月,08:30,a,,", nullptr},
        {"毎日,24:00,a,,", nullptr},
        {"毎日,8:30,a,,", nullptr},
        {"毎日,08:60,a,,", nullptr},
        {"毎日,０８:３０,a,,", nullptr},
        {"毎日,08:30,,b,", nullptr},
        {"毎日,08:30", nullptr},
        {"", nullptr},
    };
    for (const Case& c : cases) {
        const std::optional<RepeatRule> r = RepeatRule::parse(QString::fromUtf8(c.stored));
        if (!c.storedAgain) {
            EXPECT_FALSE(r.has_value()) << c.stored;
            continue;
        }
        ASSERT_TRUE(r.has_value()) << c.stored;
        EXPECT_EQ(r->storedForm(), QString::fromUtf8(c.storedAgain)) << c.stored;
    }
}

// 2026/12/07 is a Monday.
TEST(RepeatRuleTest, NextOccurrenceFollowsTheLocalCalendar)
{
    struct Case {
        const char* rule;
        const char* from;
        const char* nextAfter;
        const char* firstFrom;
    } cases[] = {
        {"毎日,08:30,a,,", "2026/12/08-08:29", "2026/12/08-08:30", "2026/12/08-08:30"},
        {"毎日,08:30,a,,", "2026/12/08-08:30", "2026/12/09-08:30", "2026/12/08-08:30"},
        {"毎日,00:00,a,,", "2026/12/31-23:59", "2027/01/01-00:00", "2027/01/01-00:00"},
        {"平日,17:00,a,,", "2026/12/11-17:00", "2026/12/14-17:00", "2026/12/11-17:00"},
        {"平日,17:00,a,,", "2026/12/12-09:00", "2026/12/14-17:00", "2026/12/14-17:00"},
        {"平日,17:00,a,,", "2026/12/13-18:00", "2026/12/14-17:00", "2026/12/14-17:00"},
        {"毎週水,09:00,a,,", "2026/12/07-10:00", "2026/12/09-09:00", "2026/12/09-09:00"},
        {"毎週水,09:00,a,,", "2026/12/09-09:00", "2026/12/16-09:00", "2026/12/09-09:00"},
        {"毎週日,23:59,a,,", "2028/02/27-00:00", "2028/02/27-23:59", "2028/02/27-23:59"},
        {"毎週火,10:00,a,,", "2028/02/27-00:00", "2028/02/29-10:00", "2028/02/29-10:00"},
        {"毎日,08:30,a,,", "2026/12/08 08:30", "", ""},
    };
    for (const Case& c : cases) {
        const RepeatRule r = rule(c.rule);
        EXPECT_EQ(r.nextAfter(minute(c.from)).text(), QString::fromUtf8(c.nextAfter)) << c.rule << " " << c.from;
        EXPECT_EQ(r.firstFrom(minute(c.from)).text(), QString::fromUtf8(c.firstFrom)) << c.rule << " " << c.from;
    }
}

TEST(RepeatRuleTest, AnEntryIsAnOccurrenceOnlyAtTheRulesMinuteOnItsDays)
{
    const RepeatRule weekdays = rule("平日,08:30,朝礼,会議室A,");
    EXPECT_EQ(weekdays.occurrence(minute("2026/12/08-08:30")).text(), "2026/12/08-08:30,朝礼,会議室A");
    struct Case {
        const char* entry;
        bool owned;
    } cases[] = {
        {"2026/12/08-08:30,朝礼,会議室A", true},    {" 2026/12/08-08:30 , 朝礼 ,会議室A ", true},
        {"2026/12/12-08:30,朝礼,会議室A", false},   {"2026/12/08-08:31,朝礼,会議室A", false},
        {"2026/12/08-08:30,朝礼,", false},          {"2026/12/08-08:30,朝礼,会議室B", false},
        {"2026/12/08-08:30x,朝礼,会議室A", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(weekdays.owns(GuideEntry(QString::fromUtf8(c.entry))), c.owned) << c.entry;
    EXPECT_EQ(uFMsg::WeeklyRule(QDate(2026, 12, 7)), "毎週月");
    EXPECT_EQ(uFMsg::WeeklyRule(QDate(2026, 12, 13)), "毎週日");
}

TEST(RepeatRulesTest, AnOccurrenceWaitsForRoomAndIsNeverListedTwice)
{
    RepeatRules rules;
    rules.assign({"毎日,08:30,a,,", "毎日,08:30,a,,", "bad", "平日,09:00,b,,"});
    ASSERT_EQ(rules.storedForms(), QStringList({"毎日,08:30,a,,", "平日,09:00,b,,"}));

    GuideSchedule schedule;
    const DueMinute friday = minute("2026/12/11-08:00");
    RepeatRules::Outcome o = rules.placeAll(schedule, friday);
    EXPECT_EQ(o.added, 2);
    EXPECT_EQ(schedule.texts(), QStringList({"2026/12/11-08:30,a,", "2026/12/11-09:00,b,"}));
    // Already listed, however its text ends or is spaced: nothing again.
    o = rules.placeAll(schedule, friday);
    EXPECT_EQ(o.added, 0);
    schedule.replace(0, GuideEntry(" 2026/12/11-08:30, a ,,"));
    EXPECT_EQ(rules.placeAll(schedule, friday).added, 0);
    EXPECT_EQ(schedule.size(), 2);

    // Friday's b announced while the list is full: b waits, and only a
    // check that finds room puts Monday's in; a is not touched meanwhile.
    const DueMinute nine = minute("2026/12/11-09:00");
    QList<uFMsg::DueEntry> taken = schedule.takeDue(nine);
    ASSERT_EQ(taken.size(), 2);
    for (int i = schedule.size(); i < uFMsg::ListItemMax; ++i)
        schedule.insertSorted(QStringLiteral("2027/01/01-00:%1,fill,").arg(i, 2, 10, QLatin1Char('0')));
    o = rules.placeAfter(taken, schedule, nine);
    EXPECT_EQ(o.added, 0);
    EXPECT_EQ(o.full, 2);
    o = rules.placeAfter({}, schedule, minute("2026/12/11-09:01"));
    EXPECT_EQ(o.full, 0) << "a rule that waits already is not reported again";
    schedule.removeAt(schedule.size() - 1);
    o = rules.placeAfter({}, schedule, minute("2026/12/11-09:02"));
    EXPECT_EQ(o.added, 1);
    EXPECT_TRUE(schedule.isFull());
    schedule.removeAt(schedule.size() - 1);
    o = rules.placeAfter({}, schedule, minute("2026/12/11-09:03"));
    EXPECT_EQ(o.added, 1);
    EXPECT_GE(schedule.find("2026/12/12-08:30,a,"), 0);
    EXPECT_GE(schedule.find("2026/12/14-09:00,b,"), 0);
    EXPECT_EQ(rules.placeAfter({}, schedule, minute("2026/12/11-09:04")).added, 0);
}

TEST(RepeatRulesTest, RulesFollowTheGuideListIntoTheFileAndBack)
{
    testsupport::TempDir dir;
    const QString path = QString::fromStdString(dir.file("uPVelmora.conf"));
    const std::string without = "[Section_Cycle]\r\nCycleItems=1\r\nCycleItem_000=2026/12/08-09:00,x,,\r\n";
    testsupport::writeFile(path.toStdString(), without);
    // A file that never had a rule gets no section of rules.
    ASSERT_EQ(uFConf::ConfWriteCycle(path, {"2026/12/08-09:00,x,"}), 0);
    EXPECT_EQ(testsupport::readFile(path.toStdString()), without);

    uFConf::MyConf conf({[path]() { return path; }, {}, {}});
    conf.MyConfRead();
    conf.repeats().add(rule("平日,08:30,朝礼を開始します。,,"));
    conf.repeats().add(rule("毎週金,17:00,終業時刻です。,週報\r\n提出,"));
    ASSERT_EQ(conf.MyConfWriteCycle(), 0);
    const std::string written = testsupport::readFile(path.toStdString());
    const std::string section = uFCom_Bas::toAnsi("[Section_Repeat]\r\nRepeatItems=2\r\n"
                                                  "RepeatItem_000=平日,08:30,朝礼を開始します。,,\r\n"
                                                  "RepeatItem_001=毎週金,17:00,終業時刻です。,週報\x1f提出,\r\n")
                                    .toStdString();
    EXPECT_NE(written.find(section), std::string::npos) << written;
    EXPECT_GT(written.find("[Section_Repeat]"), written.find("[Section_Cycle]"));

    // Read back with the past entries listed as dropped, malformed rules
    // left out.
    testsupport::writeFile(path.toStdString(),
                           without + "\r\n" + section + uFCom_Bas::toAnsi("RepeatItem_002=毎月,08:30,x,,\r\n").toStdString());
    const uFConf::ConfContent c = uFConf::ConfRead(path, "2026/12/08-09:00");
    EXPECT_EQ(c.dropped, QStringList({"2026/12/08-09:00,x,,"}));
    EXPECT_TRUE(c.cycles.isEmpty());
    RepeatRules back;
    back.assign(c.repeats);
    EXPECT_EQ(back.storedForms(), conf.repeats().storedForms());

    // With no rule left, the section stays, empty.
    conf.MyConfRead();
    conf.repeats().clear();
    ASSERT_EQ(conf.MyConfWriteCycle(), 0);
    EXPECT_EQ(uFCom_Bas::ProfileGet(path, uFConf::kSectionRepeat, uFConf::kKeyRepeatCount), "0");
    EXPECT_EQ(uFCom_Bas::ProfileGet(path, uFConf::kSectionRepeat, "RepeatItem_000"), "");
}
