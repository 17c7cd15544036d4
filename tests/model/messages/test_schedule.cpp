// The schedule through its operations alone, on a clock the test moves a
// minute at a time: registrations with and without rules, the due checks,
// occurrences placed again, a full list, removals, and what a load keeps.
#include <gtest/gtest.h>

#include <QRegularExpression>

#include "model/messages/schedule.h"
#include "schedule_fakes.h"
#include "test_support.h"

using namespace uFMsg;

namespace {

using testsupport::CountingStore;

DueMinute at(const char* text)
{
    return DueMinute::fromText(QString::fromUtf8(text));
}

GuideEntry entry(const char* due, const char* fixed, const char* variable = "")
{
    return GuideEntry::compose(at(due), QString::fromUtf8(fixed), QString::fromUtf8(variable));
}

std::optional<RepeatRule> rule(const char* word, const char* due, const char* fixed, const char* variable = "")
{
    return RepeatRule::at(QString::fromUtf8(word), at(due), QString::fromUtf8(fixed), QString::fromUtf8(variable));
}

AddResult add(Schedule& s, const char* due, const char* fixed, const char* word, const char* now)
{
    return s.add(entry(due, fixed), word ? rule(word, due, fixed) : std::nullopt, at(now)).result;
}

// "minute|fixed" of each entry taken by the due checks from one minute to
// another, the clock moved a minute at a time.
QStringList run(Schedule& s, const char* from, const char* to)
{
    QStringList out;
    for (DueMinute m = at(from);; m = m.addMinutes(1)) {
        for (const DueEntry& d : s.dueCheck(m).announced) out << d.entry.due().text() + "|" + d.entry.fixed();
        if (m == at(to) || !m.isValid()) break;
    }
    return out;
}

QStringList listed(const Schedule& s)
{
    return s.entries().texts();
}

}  // namespace

// 2026/12/07 is a Monday.
TEST(ScheduleWeek, AWeekOfEntriesAndRulesIsAnnouncedOnceEachAtItsMinute)
{
    CountingStore store;
    Schedule s(&store);
    const char* now = "2026/12/07-08:00";
    EXPECT_EQ(add(s, "2026/12/08-12:00", "昼", nullptr, now), AddResult::Added);
    EXPECT_EQ(add(s, "2026/12/07-09:00", "朝礼", "平日", now), AddResult::Added);
    EXPECT_EQ(add(s, "2026/12/09-17:00", "清掃", "毎週水", now), AddResult::Added);
    // Its Tuesday occurrence meets the entry registered by hand.
    EXPECT_EQ(add(s, "2026/12/07-12:00", "昼", "毎日", now), AddResult::Added);
    EXPECT_EQ(add(s, "2026/12/10-15:00", "点検", nullptr, now), AddResult::Added);
    EXPECT_EQ(store.saves, 5);
    EXPECT_EQ(listed(s), (QStringList{"2026/12/07-09:00,朝礼,", "2026/12/07-12:00,昼,", "2026/12/08-12:00,昼,",
                                      "2026/12/09-17:00,清掃,", "2026/12/10-15:00,点検,"}));

    const QStringList announced = run(s, "2026/12/07-08:01", "2026/12/14-08:00");
    EXPECT_EQ(announced, (QStringList{
                             "2026/12/07-09:00|朝礼", "2026/12/07-12:00|昼",
                             "2026/12/08-09:00|朝礼", "2026/12/08-12:00|昼",
                             "2026/12/09-09:00|朝礼", "2026/12/09-12:00|昼", "2026/12/09-17:00|清掃",
                             "2026/12/10-09:00|朝礼", "2026/12/10-12:00|昼", "2026/12/10-15:00|点検",
                             "2026/12/11-09:00|朝礼", "2026/12/11-12:00|昼",
                             "2026/12/12-12:00|昼",
                             "2026/12/13-12:00|昼",
                         }));
    // Each rule lists its next occurrence, and only that.
    EXPECT_EQ(listed(s), (QStringList{"2026/12/14-09:00,朝礼,", "2026/12/14-12:00,昼,", "2026/12/16-17:00,清掃,"}));
    // Saved at each announcement of a rule's occurrence, which the rule
    // remembers (前回).
    EXPECT_EQ(store.saves, 5 + 13);
    EXPECT_EQ(s.storedRules(), (QStringList{"平日,09:00,朝礼,,前回=2026/12/11-09:00,", "毎週水,17:00,清掃,,前回=2026/12/09-17:00,",
                                            "毎日,12:00,昼,,前回=2026/12/13-12:00,"}));
}

// A rule whose next occurrence finds the list full waits, is said to wait
// once, and comes in at the first check that finds room; the others are
// not touched meanwhile.
TEST(Schedule, AnOccurrenceWaitsForRoomAndIsNeverListedTwice)
{
    Schedule s;
    // Friday: the two rules meet at 09:00.
    const LoadOutcome load =
        s.load({}, {"毎週金,09:00,b,,", "毎週金,09:00,b,,", "bad", "平日,09:00,b,,"}, at("2026/12/11-08:00"));
    EXPECT_EQ(load.refusedRules, (QStringList{"毎週金,09:00,b,,", "bad"}));
    EXPECT_EQ(load.placed, 1);
    EXPECT_EQ(listed(s), QStringList{"2026/12/11-09:00,b,"});
    // Loaded again as stored: nothing twice.
    Schedule again;
    EXPECT_EQ(again.load(s.storedEntries(), s.storedRules(), at("2026/12/11-08:00")).placed, 0);
    EXPECT_EQ(again.entries().size(), 1);

    // The list full: the one entry the check takes leaves room for one of
    // the two next occurrences; the other waits, said once.
    QStringList fill;
    for (int i = 1; i < ListItemMax; ++i) {
        fill << at("2027/01/01-00:00").addMinutes(i).text() + ",fill,";
        ASSERT_EQ(s.add(GuideEntry(fill.last()), {}, at("2026/12/11-08:00")).result, AddResult::Added);
    }
    DueOutcome due = s.dueCheck(at("2026/12/11-09:00"));
    EXPECT_EQ(due.announced.size(), 1);
    EXPECT_EQ(due.placed, 1);
    EXPECT_EQ(due.startedWaiting, 1);
    EXPECT_TRUE(s.entries().isFull());
    EXPECT_GE(s.entries().find(QStringLiteral("2026/12/18-09:00,b,")), 0);
    EXPECT_EQ(s.dueCheck(at("2026/12/11-09:01")).startedWaiting, 0) << "a rule that waits already is not said again";
    ASSERT_TRUE(s.remove(fill.last(), {}).removed);
    due = s.dueCheck(at("2026/12/11-09:02"));
    EXPECT_EQ(due.placed, 1);
    EXPECT_GE(s.entries().find(QStringLiteral("2026/12/14-09:00,b,")), 0);
    EXPECT_EQ(s.dueCheck(at("2026/12/11-09:03")).placed, 0);
}

// Two rules that meet on one minute share one entry while they coincide;
// each places its own next one after the announcement, and deleting the
// shared entry takes both rules.
TEST(Schedule, RulesMeetingOnAMinuteEachKeepTheirOwnNextOccurrence)
{
    struct Case {
        const char* what;
        const char* first;  // registered first
        const char* second;
        QStringList afterMonday;
    } cases[] = {
        {"毎週月 and 平日", "毎週月", "平日", {"2026/12/08-12:00,朝会,", "2026/12/14-12:00,朝会,"}},
        {"毎日 then 平日 (changing one into the other)", "毎日", "平日", {"2026/12/08-12:00,朝会,"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Schedule s;
        EXPECT_EQ(add(s, "2026/12/07-12:00", "朝会", c.first, "2026/12/07-11:59"), AddResult::Added);
        EXPECT_EQ(add(s, "2026/12/07-12:00", "朝会", c.second, "2026/12/07-11:59"), AddResult::Added);
        ASSERT_EQ(s.entries().size(), 1);
        EXPECT_EQ(s.rulesOf(s.entries().at(0)).size(), 2);
        EXPECT_EQ(run(s, "2026/12/07-12:00", "2026/12/07-12:00"), QStringList{"2026/12/07-12:00|朝会"});
        EXPECT_EQ(listed(s), c.afterMonday);
        // Tuesday's is announced too.
        EXPECT_EQ(run(s, "2026/12/08-12:00", "2026/12/08-12:00"), QStringList{"2026/12/08-12:00|朝会"});
    }

    // Deleting the shared entry takes it and both rules, and their next
    // occurrences.
    Schedule s;
    add(s, "2026/12/07-12:00", "朝会", "毎週月", "2026/12/07-11:00");
    add(s, "2026/12/07-12:00", "朝会", "平日", "2026/12/07-11:00");
    add(s, "2026/12/07-13:00", "他", "毎日", "2026/12/07-11:00");
    const QList<RepeatRule> owners = s.rulesOf(s.entries().at(0));
    ASSERT_EQ(owners.size(), 2);
    EXPECT_TRUE(s.remove(s.entries().at(0).trimmed(), owners).removed);
    EXPECT_EQ(s.storedRules(), QStringList{"毎日,13:00,他,,"});
    EXPECT_EQ(listed(s), QStringList{"2026/12/07-13:00,他,"});
}

// An entry the operator registered is never taken for a rule's occurrence:
// not removed with the rule, not moved by a load, however it resembles one.
TEST(Schedule, AnEntryRegisteredByHandIsNeverTakenForARulesOccurrence)
{
    Schedule s;
    const char* now = "2026/12/07-08:00";
    add(s, "2026/12/07-09:00", "朝礼", "毎日", now);
    // The same message at the rule's minute on a later day, by hand.
    EXPECT_EQ(add(s, "2026/12/09-09:00", "朝礼", nullptr, now), AddResult::Added);
    EXPECT_TRUE(s.rulesOf(s.entries().at(1)).isEmpty());
    // Loaded again: the rule's next is the 7th; the 9th is the operator's.
    Schedule loaded;
    const LoadOutcome load = loaded.load(s.storedEntries(), s.storedRules(), at(now));
    EXPECT_TRUE(load.pruned.isEmpty());
    EXPECT_EQ(loaded.entries().size(), 2);
    // Deleting the rule's occurrence leaves it.
    EXPECT_TRUE(s.remove(s.entries().at(0).trimmed(), s.rulesOf(s.entries().at(0))).removed);
    EXPECT_EQ(listed(s), QStringList{"2026/12/09-09:00,朝礼,"});

    // Registered by hand where a rule listed it: the operator's from now on,
    // so that it stays when the rule goes.
    Schedule t;
    add(t, "2026/12/07-09:00", "朝礼", "毎日", now);
    EXPECT_EQ(add(t, "2026/12/07-09:00", "朝礼", nullptr, now), AddResult::Same);
    EXPECT_FALSE(t.entries().at(0).options().placed);
    EXPECT_TRUE(t.remove(QStringLiteral("no such entry"), t.rulesOf(t.entries().at(0))).removed);
    EXPECT_EQ(listed(t), QStringList{"2026/12/07-09:00,朝礼,"});
    EXPECT_TRUE(t.rules().isEmpty());
}

// A start with the clock far ahead put each rule's occurrence years on; a
// later start with the clock right lists each rule once, at its next, and
// removes what a rule put in beyond it, never what the operator put in.
TEST(Schedule, ALoadRemovesOccurrencesPutInBeyondTheirRulesNext)
{
    QStringList rules;
    for (int i = 0; i < 60; ++i) rules << QStringLiteral("毎日,09:30,r%1,,").arg(i, 2, 10, QLatin1Char('0'));
    Schedule ahead;
    ASSERT_EQ(ahead.load({}, rules, at("2031/06/02-10:00")).placed, 60);
    QStringList stored = ahead.storedEntries();
    stored << "2031/06/03-09:30,hand,,";
    ASSERT_EQ(stored.first(), "2031/06/03-09:30,r00,,繰り返し,");

    Schedule right;
    const LoadOutcome load = right.load(stored, rules, at("2026/12/08-09:29"));
    EXPECT_EQ(load.pruned.size(), 60);
    EXPECT_EQ(load.placed, 60);
    EXPECT_EQ(right.entries().size(), 61);
    EXPECT_GE(right.entries().find(QStringLiteral("2031/06/03-09:30,hand,,")), 0);
    const DueOutcome due = right.dueCheck(at("2026/12/08-09:30"));
    EXPECT_EQ(due.announced.size(), 60);
    EXPECT_EQ(due.placed, 60);

    // An occurrence on a day its rule no longer announces on (the file
    // changed while the program was stopped) goes as well.
    Schedule changed;
    const LoadOutcome moved =
        changed.load({"2026/12/12-09:30,w,,繰り返し,"}, {"平日,09:30,w,,"}, at("2026/12/11-10:00"));
    EXPECT_EQ(moved.pruned, QStringList{"2026/12/12-09:30,w,,繰り返し,"});
    EXPECT_EQ(changed.storedEntries(), QStringList{"2026/12/14-09:30,w,,繰り返し,"});
    // One whose rule is gone is an ordinary entry.
    Schedule orphan;
    EXPECT_TRUE(orphan.load({"2026/12/12-09:30,w,,繰り返し,"}, {}, at("2026/12/11-10:00")).pruned.isEmpty());
    EXPECT_EQ(orphan.entries().size(), 1);
}

// However far the next occurrence lies, it is placed, and a start later
// than the natural next one survives a restart.
TEST(Schedule, ARuleStartingLaterKeepsItsStartAcrossALoad)
{
    struct Case {
        const char* word;
        const char* chosen;
        QString storedRule;
        QString first;
    } cases[] = {
        {"毎日", "2027/01/04-08:30", "毎日,08:30,新学期,,起点=2027/01/04,", "2027/01/04-08:30,新学期,"},
        {"毎週火", "2026/12/22-08:30", "毎週火,08:30,新学期,,起点=2026/12/22,", "2026/12/22-08:30,新学期,"},
        {"平日", "2026/12/12-08:30", "平日,08:30,新学期,,起点=2026/12/12,", "2026/12/14-08:30,新学期,"},
        // The natural next one: nothing to keep.
        {"毎日", "2026/12/09-08:30", "毎日,08:30,新学期,,", "2026/12/09-08:30,新学期,"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chosen);
        Schedule s;
        ASSERT_EQ(add(s, c.chosen, "新学期", c.word, "2026/12/08-10:00"), AddResult::Added);
        EXPECT_EQ(s.storedRules(), QStringList{c.storedRule});
        EXPECT_EQ(listed(s), QStringList{c.first});
        Schedule restarted;
        const LoadOutcome load = restarted.load(s.storedEntries(), s.storedRules(), at("2026/12/08-11:00"));
        EXPECT_TRUE(load.pruned.isEmpty());
        EXPECT_EQ(load.placed, 0);
        EXPECT_EQ(restarted.storedEntries(), s.storedEntries());
    }
}

TEST(Schedule, RefusalsChangeNothingAndEveryChangeIsSaved)
{
    CountingStore store;
    Schedule s(&store);
    const char* now = "2026/12/08-10:00";
    struct Case {
        const char* what;
        GuideEntry e;
        std::optional<RepeatRule> r;
        AddResult result;
        int saves;
    } cases[] = {
        {"the current minute", entry("2026/12/08-10:00", "a"), {}, AddResult::NotLater, 0},
        {"earlier", entry("2026/12/08-09:59", "a"), rule("毎日", "2026/12/08-09:59", "a"), AddResult::NotLater, 0},
        {"no minute", GuideEntry(QStringLiteral("2026/12/08 10:01,a,")), {}, AddResult::Invalid, 0},
        {"no fixed part", entry("2026/12/08-10:01", ""), {}, AddResult::Invalid, 0},
        {"added", entry("2026/12/08-10:01", "a", "v"), {}, AddResult::Added, 1},
        {"the same", entry("2026/12/08-10:01", "a", "v"), {}, AddResult::Same, 0},
        {"the same, spaced otherwise", GuideEntry(QStringLiteral("2026/12/08-10:01,a,v,")), {}, AddResult::Updated, 1},
        {"a rule", entry("2026/12/08-11:00", "b"), rule("毎日", "2026/12/08-11:00", "b"), AddResult::Added, 1},
        {"the same rule", entry("2026/12/09-11:00", "b"), rule("毎日", "2026/12/09-11:00", "b"), AddResult::Same, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const int before = store.saves;
        const QStringList entries = s.storedEntries();
        EXPECT_EQ(s.add(c.e, c.r, at(now)).result, c.result);
        EXPECT_EQ(store.saves - before, c.saves);
        if (c.saves == 0) {
            EXPECT_EQ(s.storedEntries(), entries);
        }
    }
    // A save that fails is reported with the outcome; the change stays in
    // memory, where the next save that succeeds writes it.
    store.ok = false;
    const AddOutcome failed = s.add(entry("2026/12/08-12:00", "c"), {}, at(now));
    EXPECT_EQ(failed.result, AddResult::Added);
    EXPECT_FALSE(failed.saved);
    EXPECT_EQ(s.entries().size(), 3);

    // A batch saves once, at its end.
    store.ok = true;
    const int before = store.saves;
    {
        Schedule::Batch batch(s);
        for (const char* m : {"2026/12/08-13:00", "2026/12/08-14:00", "2026/12/08-15:00"})
            EXPECT_EQ(s.add(entry(m, "d"), {}, at(now)).result, AddResult::Added);
        EXPECT_EQ(store.saves, before);
        EXPECT_TRUE(batch.close());
    }
    EXPECT_EQ(store.saves, before + 1);
    EXPECT_TRUE(s.clear().removed);
    EXPECT_FALSE(s.clear().removed) << "nothing left to clear";
}

TEST(Schedule, TheNextOccurrencesOfARule)
{
    Schedule s;
    s.load({}, {"平日,08:30,a,,"}, at("2026/12/10-09:00"));
    QStringList next;
    for (const DueMinute& m : s.nextOccurrences(0, at("2026/12/10-09:00"), 4)) next << m.text();
    EXPECT_EQ(next, (QStringList{"2026/12/11-08:30", "2026/12/14-08:30", "2026/12/15-08:30", "2026/12/16-08:30"}));
    EXPECT_TRUE(s.nextOccurrences(1, at("2026/12/10-09:00"), 4).isEmpty());
}

// Each rule's listed occurrence after a load keeps to the calendar: 平日
// never on a 休日, 休日=除く the same for 毎日 and 毎週, a 休止 passed over, a
// paused rule none, the last one announced never again.
TEST(ScheduleCalendar, TheListedOccurrenceKeepsToTheCalendarAndTheOptions)
{
    uFCal::Calendar site;  // national holidays
    uFCal::Calendar yearEnd;
    yearEnd.closed << uFCal::ClosedPeriod{QDate(2026, 12, 29), QDate(2027, 1, 3), "年末年始"};
    uFCal::Calendar works;  // 27 days, 山の日 inside
    works.closed << uFCal::ClosedPeriod{QDate(2027, 8, 1), QDate(2027, 8, 27), "設備工事"};
    uFCal::Calendar noNational;
    noNational.nationalHolidays = false;
    uFCal::Calendar openDay;
    openDay.open << uFCal::NamedDay{QDate(2027, 1, 11), "出勤日"};
    struct Case {
        const char* what;
        const char* rule;
        uFCal::Calendar calendar;
        const char* now;
        const char* listed;  // "" none
    } cases[] = {
        // 2027/01/11 is 成人の日, a Monday.
        {"平日 on the Friday before a Happy Monday", "平日,09:00,a,,", site, "2027/01/08-10:00", "2027/01/12-09:00"},
        {"平日 across 年末年始", "平日,09:00,a,,", yearEnd, "2026/12/28-10:00", "2027/01/04-09:00"},
        {"平日 across 27 closed days", "平日,09:00,a,,", works, "2027/07/30-10:00", "2027/08/30-09:00"},
        {"national holidays off", "平日,09:00,a,,", noNational, "2027/01/08-10:00", "2027/01/11-09:00"},
        {"an open day", "平日,09:00,a,,", openDay, "2027/01/08-10:00", "2027/01/11-09:00"},
        {"毎日 with 休日=除く", "毎日,09:00,a,,休日=除く,", site, "2027/01/10-10:00", "2027/01/12-09:00"},
        {"毎日 without", "毎日,09:00,a,,", site, "2027/01/10-10:00", "2027/01/11-09:00"},
        {"毎週月 with 休日=除く", "毎週月,09:00,a,,休日=除く,", site, "2027/01/08-10:00", "2027/01/18-09:00"},
        {"毎週月 without", "毎週月,09:00,a,,", site, "2027/01/08-10:00", "2027/01/11-09:00"},
        {"休止 passed over", "毎日,09:00,a,,休止=2027/01/09-09:00,", site, "2027/01/08-10:00", "2027/01/10-09:00"},
        {"停止", "毎日,09:00,a,,停止,", site, "2027/01/08-10:00", ""},
        {"前回 with the clock set back", "毎日,09:00,a,,前回=2027/01/09-09:00,", site, "2027/01/09-08:00",
         "2027/01/10-09:00"},
        {"前回 in the future silences nothing", "毎日,09:00,a,,前回=2031/01/01-09:00,", site, "2027/01/08-10:00",
         "2027/01/09-09:00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Schedule s;
        const LoadOutcome load = s.load(StoredSchedule{{}, {QString::fromUtf8(c.rule)}, c.calendar, true}, at(c.now));
        EXPECT_EQ(load.waiting, 0);
        const QString listed = QString::fromUtf8(c.listed);
        EXPECT_EQ(s.entries().size(), listed.isEmpty() ? 0 : 1);
        if (!listed.isEmpty()) {
            EXPECT_EQ(s.entries().at(0).due().text(), listed);
        }
        EXPECT_EQ(s.storedRules(), QStringList{QString::fromUtf8(c.rule)}) << "stored as it was";
    }
}

// The preview names what it passes over; a changed calendar moves every
// rule's listed occurrence at once, in one save.
TEST(ScheduleCalendar, PreviewAndACalendarChange)
{
    CountingStore store;
    Schedule s(&store);
    s.load({}, {"平日,09:00,a,,", "毎日,12:00,b,,休止=2026/12/31-12:00,"}, at("2026/12/25-10:00"));
    ASSERT_EQ(listed(s), (QStringList{"2026/12/25-12:00,b,", "2026/12/28-09:00,a,"}));
    uFCal::Calendar yearEnd;
    yearEnd.closed << uFCal::ClosedPeriod{QDate(2026, 12, 28), QDate(2027, 1, 3), "年末年始"};
    EXPECT_TRUE(s.setCalendar(yearEnd, at("2026/12/25-10:00")).saved);
    EXPECT_EQ(store.saves, 1);
    EXPECT_EQ(listed(s), (QStringList{"2026/12/25-12:00,b,", "2027/01/04-09:00,a,"}));
    EXPECT_TRUE(s.calendarStored());

    QStringList preview;
    for (const RuleOccurrence& o : s.preview(0, at("2026/12/25-10:00"), 2))
        preview << o.at.text() + (o.passed ? "|" + o.reason : QString());
    EXPECT_EQ(preview, (QStringList{"2026/12/28-09:00|年末年始", "2026/12/29-09:00|年末年始", "2026/12/30-09:00|年末年始",
                                    "2026/12/31-09:00|年末年始", "2027/01/01-09:00|元日", "2027/01/04-09:00",
                                    "2027/01/05-09:00"}));
    preview.clear();
    for (const RuleOccurrence& o : s.preview(1, at("2026/12/30-13:00"), 2))
        preview << o.at.text() + (o.passed ? "|" + o.reason : QString());
    EXPECT_EQ(preview, (QStringList{"2026/12/31-12:00|休止", "2027/01/01-12:00", "2027/01/02-12:00"}));
}

// The monthly and every-other-week words, a move to a working day, an end:
// the announcing occurrences over a span, as the schedule would list them
// one after another.
TEST(ScheduleRules, MonthlyEveryOtherWeekMovesAndEnds)
{
    uFCal::Calendar site;
    uFCal::Calendar closedWeek;  // from Thursday to the next Sunday
    closedWeek.closed << uFCal::ClosedPeriod{QDate(2026, 12, 24), QDate(2027, 1, 3), "年末年始"};
    uFCal::Calendar closedLong = closedWeek;
    closedLong.closed << uFCal::ClosedPeriod{QDate(2027, 1, 4), QDate(2027, 1, 6), "棚卸"};
    struct Case {
        const char* what;
        const char* rule;
        uFCal::Calendar calendar;
        const char* from;
        int count;                // how many there are in 2027 (0: not counted)
        QStringList occurrences;  // the first ones
    } cases[] = {
        {"毎月31日: seven months of a year", "毎月31日,09:00,a,,", site, "2026/12/31-10:00", 7,
         {"2027/01/31-09:00", "2027/03/31-09:00", "2027/05/31-09:00", "2027/07/31-09:00", "2027/08/31-09:00",
          "2027/10/31-09:00", "2027/12/31-09:00"}},
        {"毎月末日 over a leap February", "毎月末日,09:00,a,,", site, "2028/01/31-10:00", 0,
         {"2028/02/29-09:00", "2028/03/31-09:00"}},
        {"毎月第4金 in a month of five Fridays", "毎月第4金,09:00,a,,", site, "2027/01/01-10:00", 0,
         {"2027/01/22-09:00", "2027/02/26-09:00"}},
        {"毎月最終金 in a month of five Fridays", "毎月最終金,09:00,a,,", site, "2027/01/01-10:00", 0,
         {"2027/01/29-09:00", "2027/02/26-09:00"}},
        {"隔週 across a year end", "隔週水,09:00,a,,起点=2026/12/21,", site, "2026/12/21-10:00", 0,
         {"2026/12/23-09:00", "2027/01/06-09:00", "2027/01/20-09:00"}},
        {"25日 on a Saturday to the Friday before", "毎月25日,09:00,給料日,,休日=前営業日,", site, "2027/08/26-10:00", 0,
         {"2027/09/24-09:00", "2027/10/25-09:00"}},
        {"11日 on 成人の日 (a Monday) to the Tuesday after", "毎月11日,09:00,a,,休日=翌営業日,", site,
         "2026/12/12-10:00", 0, {"2027/01/12-09:00", "2027/02/12-09:00"}},
        {"a move short of the week before", "毎週水,09:00,a,,休日=前営業日,", closedWeek, "2026/12/23-10:00", 0,
         {"2027/01/06-09:00"}},
        {"a move to the Monday after", "毎週水,09:00,a,,休日=翌営業日,", closedWeek, "2026/12/23-10:00", 0,
         {"2027/01/04-09:00", "2027/01/06-09:00"}},
        {"a move never past the next one", "毎週水,09:00,a,,休日=翌営業日,", closedLong, "2026/12/23-10:00", 0,
         {"2027/01/07-09:00", "2027/01/13-09:00"}},
        {"終了 on the last occurrence", "毎日,09:00,a,,終了=2027/03/31,", site, "2027/03/29-10:00", 2,
         {"2027/03/30-09:00", "2027/03/31-09:00"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Schedule s;
        s.load(StoredSchedule{{}, {QString::fromUtf8(c.rule)}, c.calendar, true}, at(c.from));
        ASSERT_EQ(s.rules().size(), 1) << "understood";
        QStringList next;
        for (const DueMinute& m : s.nextOccurrences(0, at(c.from), c.count ? 40 : int(c.occurrences.size())))
            next << m.text();
        if (c.count) {
            // In all of 2027.
            EXPECT_EQ(next.filter(QRegularExpression("^2027/")).size(), c.count);
        }
        EXPECT_EQ(next.mid(0, int(c.occurrences.size())), c.occurrences);
    }
    // No fifth weekday, no word the program does not write.
    for (const char* refused : {"毎月第5金,09:00,a,,", "毎月32日,09:00,a,,", "毎月0日,09:00,a,,", "毎月05日,09:00,a,,",
                                "毎月最終,09:00,a,,", "隔週水,09:00,a,,", "毎日,09:00,a,,予告=61,", "毎日,09:00,a,,予告=0,"})
        EXPECT_FALSE(RepeatRule::parse(QString::fromUtf8(refused)).has_value()) << refused;
    EXPECT_EQ(MonthNthRule(QDate(2027, 1, 29)), "");
    EXPECT_EQ(MonthNthRule(QDate(2027, 1, 22)), "毎月第4金");
    EXPECT_EQ(MonthLastRule(QDate(2027, 1, 29)), "毎月最終金");
    EXPECT_EQ(MonthDayRule(QDate(2027, 1, 5)), "毎月5日");
    EXPECT_EQ(BiweeklyRule(QDate(2027, 1, 6)), "隔週水");

    // The moved day is named in the preview, and the ended rule says so.
    Schedule s;
    s.load(StoredSchedule{{}, {"毎月25日,09:00,給料日,,休日=前営業日;終了=2027/10/31,"}, site, true}, at("2027/08/26-10:00"));
    const QList<RuleOccurrence> preview = s.preview(0, at("2027/08/26-10:00"), 3);
    ASSERT_EQ(preview.size(), 2);
    EXPECT_EQ(preview[0].movedFrom, QDate(2027, 9, 25));
    EXPECT_FALSE(preview[1].movedFrom.isValid());
    EXPECT_EQ(s.ruleView(0, at("2027/08/26-10:00")).next.text(), "2027/09/24-09:00") << "the listed one";
    s.dueCheck(at("2027/09/24-09:00"));
    s.dueCheck(at("2027/10/25-09:00"));
    EXPECT_TRUE(s.entries().isEmpty());
    EXPECT_EQ(s.ruleView(0, at("2027/10/25-10:00")).state, RuleView::State::Ended);
    EXPECT_EQ(s.rules().size(), 1) << "kept until deleted";
}

// An advance notice (予告) is given once, at its minute, for an entry still
// to come: not for a minute that passed before the load or before the
// entry was registered, and not again when the clock goes back.
TEST(ScheduleNotices, ANoticeIsGivenOnceAtItsMinute)
{
    auto notices = [](Schedule& s, const char* now) {
        QStringList out;
        for (const DueEntry& d : s.dueCheck(at(now)).notices) out << d.entry.fixed();
        return out;
    };
    const QStringList stored = {"2026/12/24-09:30,朝礼,会議室A,予告=5,"};
    Schedule s;
    s.load(stored, {"毎日,10:00,点呼,,予告=10,"}, at("2026/12/24-09:20"));
    EXPECT_EQ(s.storedEntries(), (QStringList{"2026/12/24-09:30,朝礼,会議室A,予告=5,", "2026/12/24-10:00,点呼,,繰り返し;予告=10,"}));
    EXPECT_TRUE(notices(s, "2026/12/24-09:24").isEmpty());
    EXPECT_EQ(notices(s, "2026/12/24-09:25"), QStringList{"朝礼"});
    EXPECT_TRUE(notices(s, "2026/12/24-09:26").isEmpty());
    EXPECT_TRUE(notices(s, "2026/12/24-09:25").isEmpty()) << "a clock set back gives it no second time";
    EXPECT_EQ(s.entries().size(), 2) << "the entry stays listed";
    EXPECT_EQ(notices(s, "2026/12/24-09:50"), QStringList{"点呼"});
    const DueOutcome due = s.dueCheck(at("2026/12/24-10:00"));
    EXPECT_EQ(due.announced.size(), 1);
    EXPECT_TRUE(due.notices.isEmpty());
    // The rule's next occurrence carries its notice.
    EXPECT_EQ(s.storedEntries().last(), "2026/12/25-10:00,点呼,,繰り返し;予告=10,");

    // Started inside the notice's minutes: none.
    Schedule restarted;
    restarted.load(stored, {}, at("2026/12/24-09:27"));
    EXPECT_TRUE(notices(restarted, "2026/12/24-09:28").isEmpty());
    // Registered after the notice's minute: none; before it: given.
    Schedule late;
    late.load({}, {}, at("2026/12/24-09:20"));
    late.dueCheck(at("2026/12/24-09:26"));
    EntryOptions five;
    five.notice = 5;
    late.add(GuideEntry::compose(at("2026/12/24-09:30"), "遅い", "", five), {}, at("2026/12/24-09:26"));
    late.add(GuideEntry::compose(at("2026/12/24-09:40"), "早い", "", five), {}, at("2026/12/24-09:26"));
    EXPECT_TRUE(notices(late, "2026/12/24-09:27").isEmpty());
    EXPECT_EQ(notices(late, "2026/12/24-09:35"), QStringList{"早い"});
}
