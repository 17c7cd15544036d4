// Repeat rules: what is understood, when the next occurrence falls, and how
// the rules and their occurrences reach the file and come back from it.
#include <gtest/gtest.h>

#include "model/config/myconf.h"
#include "model/messages/repeat.h"
#include "model/platform/text.h"
#include "fakes.h"
#include "test_support.h"

using uFMsg::DueMinute;
using uFMsg::GuideEntry;
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
        {"毎日,08:30,a,,起点=2027/01/04,", "毎日,08:30,a,,起点=2027/01/04,"},
        {"毎日,08:30,a,, 起点=2027/01/04 ", "毎日,08:30,a,,起点=2027/01/04,"},
        {"毎日,08:30,a,,起点=2027/13/04,", nullptr},
        {"毎日,08:30,a,,何か,", nullptr},
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
        // A start later on: nothing before it, however far.
        {"毎日,08:30,a,,起点=2027/01/04,", "2026/12/08-08:30", "2027/01/04-08:30", "2027/01/04-08:30"},
        {"毎週水,09:00,a,,起点=2027/06/01,", "2026/12/08-08:30", "2027/06/02-09:00", "2027/06/02-09:00"},
        // More than a year away: none, said as none.
        {"毎日,08:30,a,,起点=2028/01/04,", "2026/12/08-08:30", "", ""},
    };
    for (const Case& c : cases) {
        const RepeatRule r = rule(c.rule);
        EXPECT_EQ(r.nextAfter(minute(c.from)).text(), QString::fromUtf8(c.nextAfter)) << c.rule << " " << c.from;
        EXPECT_EQ(r.firstFrom(minute(c.from)).text(), QString::fromUtf8(c.firstFrom)) << c.rule << " " << c.from;
    }
}

TEST(RepeatRuleTest, AnOccurrenceIsMarkedAsPutInByARule)
{
    const RepeatRule weekdays = rule("平日,08:30,朝礼,会議室A,");
    const GuideEntry o = weekdays.occurrence(minute("2026/12/08-08:30"));
    EXPECT_EQ(o.text(), "2026/12/08-08:30,朝礼,会議室A");
    EXPECT_TRUE(o.options().placed);
    EXPECT_EQ(o.storedForm(), "2026/12/08-08:30,朝礼,会議室A,繰り返し,");
    EXPECT_TRUE(weekdays.sameParts(GuideEntry(" 2026/12/09-10:00 , 朝礼 ,会議室A ")));
    EXPECT_FALSE(weekdays.sameParts(GuideEntry("2026/12/08-08:30,朝礼,会議室B")));
    EXPECT_TRUE(weekdays.sameRule(rule("平日,08:30,朝礼,会議室A,起点=2027/01/04,")));
    EXPECT_FALSE(weekdays.sameRule(rule("毎日,08:30,朝礼,会議室A,")));
    EXPECT_EQ(uFMsg::WeeklyRule(QDate(2026, 12, 7)), "毎週月");
    EXPECT_EQ(uFMsg::WeeklyRule(QDate(2026, 12, 13)), "毎週日");
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

    // Registered through the schedule, which saves at once.
    testsupport::StillClock clock(platform::LocalTime{2026, 12, 7, 12, 0, 0, 0});
    uFConf::MyConf conf({[path]() { return path; }, {}, {}});
    conf.MyConfRead();
    const DueMinute now = minute("2026/12/07-12:00");
    auto add = [&](const char* at, const char* word, const QString& fixed, const QString& variable) {
        const GuideEntry e = GuideEntry::compose(minute(at), fixed, variable);
        return conf.schedule().add(e, RepeatRule::at(QString::fromUtf8(word), e.due(), fixed, variable), now).result;
    };
    ASSERT_EQ(add("2026/12/08-08:30", "平日", "朝礼を開始します。", ""), uFMsg::AddResult::Added);
    ASSERT_EQ(add("2026/12/11-17:00", "毎週金", "終業時刻です。", "週報\r\n提出"), uFMsg::AddResult::Added);
    const std::string written = testsupport::readFile(path.toStdString());
    const std::string section = uFCom_Bas::toAnsi("[Section_Repeat]\r\nRepeatItems=2\r\n"
                                                  "RepeatItem_000=平日,08:30,朝礼を開始します。,,\r\n"
                                                  "RepeatItem_001=毎週金,17:00,終業時刻です。,週報\x1f提出,\r\n")
                                    .toStdString();
    EXPECT_NE(written.find(section), std::string::npos) << written;
    EXPECT_GT(written.find("[Section_Repeat]"), written.find("[Section_Cycle]"));
    // Their occurrences, marked as put in by a rule.
    EXPECT_NE(written.find(uFCom_Bas::toAnsi("CycleItem_000=2026/12/08-08:30,朝礼を開始します。,,繰り返し,").toStdString()),
              std::string::npos)
        << written;

    // Read back with the past entries listed as dropped, malformed rules
    // left out.
    testsupport::writeFile(path.toStdString(),
                           without + "\r\n" + section + uFCom_Bas::toAnsi("RepeatItem_002=毎月,08:30,x,,\r\n").toStdString());
    const uFConf::ConfContent c = uFConf::ConfRead(path, "2026/12/08-09:00");
    EXPECT_EQ(c.dropped, QStringList({"2026/12/08-09:00,x,,"}));
    EXPECT_TRUE(c.cycles.isEmpty());
    RepeatRules back;
    EXPECT_EQ(back.assign(c.repeats), QStringList{"毎月,08:30,x,,"});
    EXPECT_EQ(back.storedForms(), conf.schedule().storedRules());

    // With no rule left, the section stays, empty.
    conf.MyConfRead();
    ASSERT_TRUE(conf.schedule().clear().saved);
    EXPECT_EQ(uFCom_Bas::ProfileGet(path, uFConf::kSectionRepeat, uFConf::kKeyRepeatCount), "0");
    EXPECT_EQ(uFCom_Bas::ProfileGet(path, uFConf::kSectionRepeat, "RepeatItem_000"), "");
}
