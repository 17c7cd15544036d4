#include "model/messages/schedule.h"

#include <algorithm>

namespace uFMsg {

Schedule::Batch::~Batch()
{
    close();
}

bool Schedule::Batch::close()
{
    if (!open_) return saved_;
    open_ = false;
    if (--s_.batch_ == 0 && s_.batchChanged_) {
        s_.batchChanged_ = false;
        saved_ = s_.store_ ? s_.store_->saveSchedule() : true;
    }
    return saved_;
}

void Schedule::changed()
{
    const auto observers = observers_;
    for (const auto& o : observers)
        if (o.second) o.second();
}

int Schedule::observe(std::function<void()> observer)
{
    observers_.emplace_back(++lastToken_, std::move(observer));
    return lastToken_;
}

void Schedule::unobserve(int token)
{
    for (auto it = observers_.begin(); it != observers_.end(); ++it) {
        if (it->first != token) continue;
        observers_.erase(it);
        return;
    }
}

bool Schedule::commit()
{
    changed();
    if (batch_ > 0) {
        batchChanged_ = true;
        return true;
    }
    return store_ ? store_->saveSchedule() : true;
}

int Schedule::listedRow(int i) const
{
    const RepeatRules::Held& h = rules_.held(i);
    if (h.placed.isNull()) return -1;
    return list_.findAnnouncement(h.rule.occurrence(h.placed));
}

bool Schedule::sharedAt(int i, const DueMinute& due) const
{
    const RepeatRule& rule = rules_.at(i);
    for (int j = 0; j < rules_.size(); ++j) {
        if (j == i || !(rules_.held(j).placed == due)) continue;
        const RepeatRule& other = rules_.at(j);
        if (other.fixed() == rule.fixed() && other.variable() == rule.variable()) return true;
    }
    return false;
}

void Schedule::release(int i)
{
    RepeatRules::Held& h = rules_.held(i);
    if (h.placed.isNull()) return;
    const int row = listedRow(i);
    // Only what a rule put in goes; an entry the operator registered, or
    // one another rule lists too, stays.
    if (row >= 0 && list_.at(row).options().placed && !sharedAt(i, h.placed)) list_.removeAt(row);
    h.placed = DueMinute();
}

Schedule::Placed Schedule::place(int i, const DueMinute& now)
{
    RepeatRules::Held& h = rules_.held(i);
    const DueMinute next = h.rule.nextAfter(now, calendar_);
    if (next.isNull()) {
        release(i);
        // No occurrence within a year: tried again at each check; a paused
        // rule has none until it goes on.
        h.waiting = !h.rule.options().paused;
        return Placed::None;
    }
    if (!h.placed.isNull()) {
        if (const int row = listedRow(i); h.placed == next && row >= 0) {
            // The rule's notice goes with the occurrence it put in.
            const EntryOptions o = list_.at(row).options();
            if (o.placed && o.notice != h.rule.options().notice) {
                EntryOptions changed = o;
                changed.notice = h.rule.options().notice;
                list_.replace(row, list_.at(row).withOptions(changed));
            }
            h.waiting = false;
            return Placed::Present;
        }
        release(i);
    }
    const GuideEntry occurrence = h.rule.occurrence(next);
    if (list_.findAnnouncement(occurrence) >= 0) {
        // Listed already (by another rule, or by the operator): shared.
        h.placed = next;
        h.waiting = false;
        return Placed::Present;
    }
    if (list_.isFull()) {
        h.waiting = true;
        return Placed::Full;
    }
    list_.insertSorted(occurrence);
    h.placed = next;
    h.waiting = false;
    return Placed::Added;
}

LoadOutcome Schedule::load(const StoredSchedule& stored, const DueMinute& now)
{
    LoadOutcome out;
    calendar_ = stored.calendar;
    calendarStored_ = stored.calendarStored;
    noticeHorizon_ = now;
    list_.assign(stored.entries);
    out.refusedRules = rules_.assign(stored.rules);

    // An occurrence a rule put in that is not the rule's next one (the clock
    // stood far ahead when it was put in, or its day no longer counts) goes;
    // one no rule of the same message and minute of the day would put in is
    // left as an ordinary entry.
    QList<DueMinute> next;
    for (int i = 0; i < rules_.size(); ++i) next << rules_.at(i).nextAfter(now, calendar_);
    for (int row = list_.size() - 1; row >= 0; --row) {
        const GuideEntry& e = list_.at(row);
        if (!e.options().placed || !e.due().isValid()) continue;
        bool ruled = false, claimed = false;
        for (int i = 0; i < rules_.size(); ++i) {
            const RepeatRule& r = rules_.at(i);
            if (!r.sameParts(e) || r.minuteOfDay() != e.due().minuteOfDay()) continue;
            ruled = true;
            if (next.at(i) == e.due()) claimed = true;
        }
        if (!ruled || claimed) continue;
        out.pruned << e.storedForm();
        list_.removeAt(row);
    }
    for (int i = 0; i < rules_.size(); ++i) {
        const Placed p = place(i, now);
        if (p == Placed::Added) ++out.placed;
        if (p == Placed::Full) ++out.waiting;
    }
    changed();
    return out;
}

AddOutcome Schedule::add(const GuideEntry& entry, const std::optional<RepeatRule>& rule, const DueMinute& now)
{
    if (!entry.due().isValid() || entry.fixed().isEmpty()) return {AddResult::Invalid, true};
    if (!entry.due().laterThan(now)) return {AddResult::NotLater, true};

    if (rule) {
        RepeatRule r = *rule;
        if (rules_.find(r) >= 0) return {AddResult::Same, true};
        // Every other week counts from the week chosen, unless it came
        // with its start.
        if (r.kind() == RepeatRule::Kind::Biweekly && !r.options().start.isValid()) {
            RuleOptions o = r.options();
            o.start = entry.due().day();
            r.setOptions(o);
        }
        DueMinute first = r.firstFrom(entry.due(), calendar_);
        if (first.isNull()) return {AddResult::Invalid, true};
        // A start later than the rule's next occurrence is kept with the
        // rule, so that a restart does not announce before it.
        if (!(first == r.nextAfter(now, calendar_))) {
            RuleOptions o = r.options();
            o.start = entry.due().day();
            r.setOptions(o);
            first = r.firstFrom(entry.due(), calendar_);
        }
        const bool listed = list_.findAnnouncement(r.occurrence(first)) >= 0;
        if (rules_.isFull() || (!listed && list_.isFull())) return {AddResult::Full, true};
        rules_.add(r);
        rules_.held(rules_.size() - 1).placed = first;
        if (!listed) list_.insertSorted(r.occurrence(first));
        // The rule and its first occurrence reach the file in one save.
        return {AddResult::Added, commit()};
    }

    // What the operator registers is the operator's: never a rule's mark.
    EntryOptions own = entry.options();
    own.placed = false;
    const int row = list_.findAnnouncement(entry);
    if (row < 0) {
        if (list_.isFull()) return {AddResult::Full, true};
        list_.insertSorted(entry.withOptions(own));
        return {AddResult::Added, commit()};
    }
    // The same announcement: registered by the operator from now on, even
    // where a rule put it in, with the notice asked for now.
    const GuideEntry& listed = list_.at(row);
    if (listed.text() != entry.text() || listed.options().notice != own.notice) {
        list_.replace(row, entry.withOptions(own));
        return {AddResult::Updated, commit()};
    }
    if (listed.options().placed) {
        list_.replace(row, listed.withOptions(own));
        return {AddResult::Same, commit()};
    }
    return {AddResult::Same, true};
}

QList<RepeatRule> Schedule::rulesOf(const GuideEntry& entry) const
{
    QList<RepeatRule> out;
    if (entry.due().isNull()) return out;
    for (int i = 0; i < rules_.size(); ++i) {
        const RepeatRules::Held& h = rules_.held(i);
        if (h.placed == entry.due() && h.rule.sameParts(entry)) out << h.rule;
    }
    return out;
}

RemoveOutcome Schedule::remove(const QString& entryText, const QList<RepeatRule>& rules)
{
    RemoveOutcome out;
    if (const int row = list_.find(entryText); row >= 0) {
        list_.removeAt(row);
        out.removed = true;
    }
    for (const RepeatRule& r : rules) {
        const int i = rules_.find(r);
        if (i < 0) continue;
        release(i);
        rules_.removeAt(i);
        out.removed = true;
    }
    if (out.removed) out.saved = commit();
    return out;
}

RemoveOutcome Schedule::clear()
{
    RemoveOutcome out;
    if (list_.isEmpty() && rules_.isEmpty()) return out;
    list_.clear();
    rules_.clear();
    out.removed = true;
    out.saved = commit();
    return out;
}

DueOutcome Schedule::dueCheck(const DueMinute& now, const std::function<void(const DueOutcome&)>& announce)
{
    DueOutcome out;
    // Notices: each once, at a minute later than the last one looked at,
    // for an entry still to come.
    for (int row = 0; row < list_.size(); ++row) {
        const GuideEntry& e = list_.at(row);
        const int n = e.options().notice;
        if (n <= 0 || !e.due().isValid() || e.due().dueAt(now)) continue;
        const DueMinute at = e.due().addMinutes(-n);
        if (at.dueAt(now) && (noticeHorizon_.isNull() || at.laterThan(noticeHorizon_)))
            out.notices << DueEntry{row, GuideEntry(e.trimmed()).withOptions(e.options())};
    }
    if (noticeHorizon_.isNull() || now.laterThan(noticeHorizon_)) noticeHorizon_ = now;
    out.announced = list_.takeDue(now);
    if (announce && (!out.announced.isEmpty() || !out.notices.isEmpty())) announce(out);
    bool changed = false;
    for (int i = 0; i < rules_.size(); ++i) {
        RepeatRules::Held& h = rules_.held(i);
        bool announced = false;
        for (const DueEntry& d : out.announced)
            if (!h.placed.isNull() && d.entry.due() == h.placed && h.rule.sameParts(d.entry)) announced = true;
        if (announced) {
            // Never announced again, across restarts too; the skips it has
            // passed are done with.
            RuleOptions o = h.rule.options();
            o.last = h.placed;
            o.skipped.erase(
                std::remove_if(o.skipped.begin(), o.skipped.end(), [&](const DueMinute& m) { return m.dueAt(now); }),
                o.skipped.end());
            h.rule.setOptions(o);
            h.placed = DueMinute();
            changed = true;
        }
        if (!announced && !h.waiting) continue;
        // The next occurrence from the clock as it reads now; one that
        // finds the list full waits for the next check that finds room.
        const bool waited = h.waiting;
        const Placed p = place(i, now);
        if (p == Placed::Added) ++out.placed;
        if (p == Placed::Full && !waited) ++out.startedWaiting;
    }
    if (changed || out.placed > 0)
        out.saved = commit();
    else if (!out.announced.isEmpty())
        this->changed();
    return out;
}

QList<DueMinute> Schedule::nextOccurrences(int row, const DueMinute& from, int n) const
{
    QList<DueMinute> out;
    if (row < 0 || row >= rules_.size()) return out;
    DueMinute m = from;
    while (out.size() < n) {
        m = rules_.at(row).nextAfter(m, calendar_);
        if (m.isNull()) break;
        out << m;
    }
    return out;
}

}  // namespace uFMsg

namespace uFMsg {

QList<RuleOccurrence> Schedule::preview(int row, const DueMinute& from, int n) const
{
    QList<RuleOccurrence> out;
    if (row < 0 || row >= rules_.size()) return out;
    DueMinute m = from;
    for (int announcing = 0; announcing < n;) {
        QList<PassedOver> passed;
        QDate movedFrom;
        m = rules_.at(row).nextAfter(m, calendar_, &passed, &movedFrom);
        for (const PassedOver& p : passed) out << RuleOccurrence{p.at, true, p.reason, QDate()};
        if (m.isNull()) break;
        out << RuleOccurrence{m, false, QString(), movedFrom};
        ++announcing;
    }
    return out;
}

ChangeOutcome Schedule::setCalendar(const uFCal::Calendar& calendar, const DueMinute& now)
{
    ChangeOutcome out;
    calendar_ = calendar;
    calendarStored_ = true;
    for (int i = 0; i < rules_.size(); ++i) place(i, now);
    out.changed = true;
    out.saved = commit();
    return out;
}

RuleView Schedule::ruleView(int row, const DueMinute& now) const
{
    RuleView v;
    if (row < 0 || row >= rules_.size()) return v;
    const RepeatRules::Held& h = rules_.held(row);
    v.rule = h.rule;
    if (h.rule.options().paused) {
        v.state = RuleView::State::Paused;
        return v;
    }
    QList<PassedOver> passed;
    v.next = h.placed.isNull() ? h.rule.nextAfter(now, calendar_, &passed) : h.placed;
    if (!h.placed.isNull()) h.rule.nextAfter(now, calendar_, &passed);
    for (const PassedOver& p : passed) {
        if (p.reason == kSkippedReason || !(p.at < v.next)) continue;
        v.passed = p.at;
        v.passedReason = p.reason;
        break;
    }
    if (!h.placed.isNull())
        v.state = RuleView::State::Listed;
    else if (h.waiting && !v.next.isNull())
        v.state = RuleView::State::Waiting;
    else
        v.state = h.rule.options().end.isValid() ? RuleView::State::Ended : RuleView::State::None;
    return v;
}

ChangeOutcome Schedule::changeRule(const RepeatRule& which, const RuleChoice& choice, const DueMinute& now)
{
    ChangeOutcome out;
    const int i = rules_.find(which);
    if (i < 0) return out;
    const RuleOptions old = rules_.at(i).options();
    // Paused stays paused, the last announcement stays remembered and a
    // move to a working day stays unless the 休日 are now kept off; the
    // skips were of the old times.  A start is kept only where the rule
    // needs one: every other week, or a day chosen later than the rule's
    // next occurrence.
    RuleOptions o;
    o.skipHolidays = choice.skipHolidays;
    o.move = choice.skipHolidays ? RuleOptions::Move::None : old.move;
    o.paused = old.paused;
    o.last = old.last;
    o.end = choice.end;
    o.notice = choice.notice;
    o.start = choice.chosen.day();
    std::optional<RepeatRule> changed =
        RepeatRule::make(choice.word, choice.chosen.minuteOfDay(), which.fixed(), which.variable(), o);
    if (!changed || !choice.chosen.isValid()) return out;
    const int other = rules_.find(*changed);
    if (other >= 0 && other != i) return out;
    if (changed->kind() != RepeatRule::Kind::Biweekly) {
        const DueMinute first = changed->firstFrom(choice.chosen, calendar_);
        RuleOptions withoutStart = o;
        withoutStart.start = QDate();
        RepeatRule unstarted = *changed;
        unstarted.setOptions(withoutStart);
        if (!first.isNull() && first == unstarted.nextAfter(now, calendar_)) changed = unstarted;
    }
    release(i);
    rules_.held(i).rule = *changed;
    rules_.held(i).waiting = false;
    place(i, now);
    out.changed = true;
    out.saved = commit();
    return out;
}

ChangeOutcome Schedule::setPaused(const RepeatRule& which, bool paused, const DueMinute& now)
{
    ChangeOutcome out;
    const int i = rules_.find(which);
    if (i < 0) return out;
    RuleOptions o = rules_.at(i).options();
    o.paused = paused;
    rules_.held(i).rule.setOptions(o);
    place(i, now);
    out.changed = true;
    out.saved = commit();
    return out;
}

ChangeOutcome Schedule::skipNext(const RepeatRule& which, const DueMinute& now)
{
    ChangeOutcome out;
    const int i = rules_.find(which);
    if (i < 0) return out;
    const RepeatRules::Held& h = rules_.held(i);
    const DueMinute next = h.placed.isNull() ? h.rule.nextAfter(now, calendar_) : h.placed;
    if (next.isNull()) return out;
    RuleOptions o = h.rule.options();
    if (!o.skipped.contains(next)) o.skipped << next;
    std::sort(o.skipped.begin(), o.skipped.end());
    rules_.held(i).rule.setOptions(o);
    place(i, now);
    out.changed = true;
    out.saved = commit();
    return out;
}

RemoveOutcome Schedule::removeRule(const RepeatRule& which)
{
    RemoveOutcome out;
    const int i = rules_.find(which);
    if (i < 0) return out;
    release(i);
    rules_.removeAt(i);
    out.removed = true;
    out.saved = commit();
    return out;
}

}  // namespace uFMsg
