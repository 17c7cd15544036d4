#pragma once
// The messages as values, without widgets: the two parts of a message and
// their limits, the fixed-form and guide entries with their text forms and
// the due rule, and the two lists as ordered collections.  The list widgets
// of the main window only show these collections.
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "model/messages/dueminute.h"

namespace uFMsg {

// Characters (UTF-16 code units) per part, after trimming; a line break is
// two (CR LF).
constexpr int MsgLenMax = 64;
// Entries per list.
constexpr int ListItemMax = 100;

// The validated parts of the two input boxes.
struct MsgInput {
    QString fixed;
    QString variable;
};

// The line of a part longer than MsgLenMax (without the prefix).
QString PartTooLongText(bool fixed);

// Trims both texts (ASCII spaces only) and drops a part that is longer than
// MsgLenMax; each dropped part is reported through report with its line
// (prefix head in front).  Both checks always run.
MsgInput MsgInputGet(const QString& text1, const QString& text2, const QString& head,
                     const std::function<void(const QString&)>& report);

// A comma field is present when it is neither empty nor the missing-field
// marker.
bool FieldPresent(const QString& field);

// A number of the stored texts: ASCII digits without a leading zero, 1 to
// max; -1 for anything else.
int SmallNumber(const QString& text, int max);

// A fixed-form entry as listed: its text, whose first comma field is its key.
class FixedEntry {
public:
    FixedEntry() = default;
    explicit FixedEntry(const QString& text);
    const QString& text() const { return text_; }
    // The first comma field as it stands (empty when absent).
    const QString& key() const { return key_; }
    // The key trimmed: the message the entry offers.
    QString message() const;
    // The stored form: the message and a comma; empty for an entry that
    // offers none.
    QString storedForm() const;

private:
    QString text_, key_;
};

// What a guide entry carries beyond its three fields, stored as a fourth
// field of items separated by ';' that a reader knowing nothing of it
// ignores.
struct EntryOptions {
    // Put in by a rule of the schedule (繰り返し), not registered by hand.
    bool placed = false;
    // 予告=N (1 to 60): a notice N minutes before the entry's minute.
    int notice = 0;

    bool isEmpty() const { return !placed && notice == 0; }
    // The stored field, "" when there is nothing to store.
    QString text() const;
    // From a stored field; none when an item is not understood (the field
    // is then no options field, and is ignored as before).
    static std::optional<EntryOptions> parse(const QString& field);
    bool operator==(const EntryOptions& o) const { return placed == o.placed && notice == o.notice; }
};

// A guide entry as listed: due minute, fixed part, variable part, listed as
// due + "," + fixed + "," + variable.  Taken apart once, from its trimmed
// text: the fields as they stand and trimmed.  A fourth field of options is
// taken off the listed text and kept beside it.
class GuideEntry {
public:
    GuideEntry() = default;
    // From a listed text or a stored value.
    explicit GuideEntry(const QString& text);
    // Composed as listed; nothing trimmed or checked.
    static GuideEntry compose(const DueMinute& due, const QString& fixed, const QString& variable,
                              const EntryOptions& options = {});
    const QString& text() const { return text_; }
    QString trimmed() const;
    // Null when the entry has no due minute.
    const DueMinute& due() const { return due_; }
    // The parts trimmed; empty when absent.
    const QString& fixed() const { return fixed_; }
    const QString& variable() const { return variable_; }
    const EntryOptions& options() const { return options_; }
    GuideEntry withOptions(const EntryOptions& options) const;
    // The same announcement: the same minute and the same parts, however the
    // texts are spaced or ended.
    bool sameAnnouncement(const GuideEntry& o) const
    {
        return due_ == o.due_ && fixed_ == o.fixed_ && variable_ == o.variable_;
    }
    // The stored form: the three fields as they stand and a comma, then the
    // options and a comma when there are any; empty for an entry without a
    // due minute.
    QString storedForm() const;
    // The delete question's block, the details box, the pop-up's block and
    // the pop-up's block of its advance notice.
    QString confirmForm() const;
    QString detailForm() const;
    QString popupBlock() const;
    QString noticeBlock() const;

private:
    QString text_;
    // Fields 0 to 2 of the trimmed text as they stand (empty when absent).
    QString raw_[3];
    DueMinute due_;
    QString fixed_, variable_;
    EntryOptions options_;
};

// What an advance notice puts in front of the fixed part: "【予告 N分前】".
QString NoticeHead(int minutes);

// The delete question's block of a fixed-form entry.
QString EntryConfirmForm(const QString& fixed);

// A change of a list, for a view that follows it.
struct ListChange {
    enum Kind { Insert, Replace, Remove, Reset } kind = Reset;
    int row = -1;
    // The inserted or replacing text; every text for a reset.
    QStringList texts;
};

// What every list of entries offers a view: its texts, and each change.
// Any number of observers may follow it; adding one never unhooks another.
// A copy of a list has no observers.
class ObservedList {
public:
    using Observer = std::function<void(const ListChange&)>;
    ObservedList() = default;
    ObservedList(const ObservedList&) {}
    ObservedList& operator=(const ObservedList&) { return *this; }
    virtual ~ObservedList() = default;
    virtual QStringList texts() const = 0;
    // Told of every change from now on, until unobserve with the token
    // returned.
    int observe(Observer observer) const
    {
        observers_.emplace_back(++lastToken_, std::move(observer));
        return lastToken_;
    }
    void unobserve(int token) const
    {
        for (auto it = observers_.begin(); it != observers_.end(); ++it) {
            if (it->first != token) continue;
            observers_.erase(it);
            return;
        }
    }

protected:
    void notify(ListChange::Kind kind, int row, const QStringList& texts = {}) const
    {
        if (observers_.empty()) return;
        const ListChange change{kind, row, texts};
        // An observer may unhook itself while it is told.
        const auto observers = observers_;
        for (const auto& o : observers)
            if (o.second) o.second(change);
    }

private:
    mutable std::vector<std::pair<int, Observer>> observers_;
    mutable int lastToken_ = 0;
};

// Entries in the ordinal (UTF-16 code unit) order of their texts,
// independent of the locale; equal texts stand together.  Full at
// ListItemMax: the operations that add refuse then.
template <class Entry>
class SortedEntries : public ObservedList {
public:
    int size() const { return static_cast<int>(items_.size()); }
    bool isEmpty() const { return items_.isEmpty(); }
    bool isFull() const { return size() >= ListItemMax; }
    const Entry& at(int row) const { return items_.at(row); }
    QStringList texts() const override
    {
        QStringList out;
        out.reserve(items_.size());
        for (const Entry& e : items_) out << e.text();
        return out;
    }
    // Puts the entry behind its equals; the row it went to.
    int insertSorted(const Entry& entry)
    {
        const int row = placeOf(entry.text());
        items_.insert(row, entry);
        notify(ListChange::Insert, row, {entry.text()});
        return row;
    }
    int insertSorted(const QString& text) { return insertSorted(Entry(text)); }
    // Replaces the entry at row where it stands.
    void replace(int row, const Entry& entry)
    {
        if (row < 0 || row >= size()) return;
        items_[row] = entry;
        notify(ListChange::Replace, row, {entry.text()});
    }
    void replace(int row, const QString& text) { replace(row, Entry(text)); }
    void removeAt(int row)
    {
        if (row < 0 || row >= size()) return;
        items_.removeAt(row);
        notify(ListChange::Remove, row);
    }
    void clear()
    {
        items_.clear();
        notify(ListChange::Reset, -1);
    }
    // The texts in ordinal order, whatever order they come in.
    void assign(const QStringList& texts)
    {
        items_.clear();
        for (const QString& t : texts) items_.insert(placeOf(t), Entry(t));
        notify(ListChange::Reset, -1, this->texts());
    }

protected:
    // Upper bound: a new text goes behind its equals.
    int placeOf(const QString& text) const
    {
        int lo = 0, hi = size();
        while (lo < hi) {
            const int mid = lo + (hi - lo) / 2;
            if (QString::compare(items_.at(mid).text(), text, Qt::CaseSensitive) <= 0) {
                lo = mid + 1;
            } else {
                hi = mid;
            }
        }
        return lo;
    }
    QList<Entry> items_;
};

// A list of plain entries, compared by their whole text.
using EntryList = SortedEntries<FixedEntry>;

// The fixed-form entries (定型部).
class FixedFormEntries : public SortedEntries<FixedEntry> {
public:
    // -9 for an empty key, -1 for no match, else the lowest row whose key
    // (first comma field) is key.
    int find(const QString& key) const;
};

// A guide entry the due check takes off the schedule.
struct DueEntry {
    // Its row when it was taken (the entries taken before it are gone).
    int row = -1;
    // The entry, trimmed.
    GuideEntry entry;
};

// The guide entries (ｶﾞｲﾄﾞ部).
class GuideSchedule : public SortedEntries<GuideEntry> {
public:
    // -9 for an empty text, -1 for no match, else the lowest row whose
    // trimmed text is text.
    int find(const QString& text) const;
    // The lowest row of the same announcement, or -1.
    int findAnnouncement(const GuideEntry& entry) const;
    // Takes every entry whose due minute has come (not later than now), in
    // list order; entries that are empty or have no due minute stay.
    QList<DueEntry> takeDue(const DueMinute& now);
    // The stored forms, in list order (entries without one left out).
    QStringList storedForms() const;
};

}  // namespace uFMsg
