#pragma once
// The messages as values, without widgets: the two parts of a message and
// their limits, the fixed-form and guide entries with their text forms and
// the due rule, and the two lists as ordered collections.  The list widgets
// of the main window only show these collections.
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

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

// Trims both texts (ASCII spaces only) and drops a part that is longer than
// MsgLenMax; each dropped part is reported through report with its line
// (prefix head in front).  Both checks always run.
MsgInput MsgInputGet(const QString& text1, const QString& text2, const QString& head,
                     const std::function<void(const QString&)>& report);

// A comma field is present when it is neither empty nor the missing-field
// marker.
bool FieldPresent(const QString& field);

// A minute of the schedule, "yyyy/mm/dd-hh:mm" of the local calendar.
// Minutes compare in the ordinal order of that text, which for well-formed
// minutes is the order of time; a stored minute that is not well formed
// keeps its text and its place in that order.
class DueMinute {
public:
    DueMinute() = default;
    // From its text form as it stands (the clock's minute, a listed
    // entry's trimmed field); null for an empty text.
    static DueMinute fromText(const QString& text);
    // The minute of a date, an hour and a minute.
    static DueMinute of(const QDate& date, int hour, int minute);
    // The minute of a 23-character display text "yyyy/mm/dd hh:mm:ss:fff".
    static DueMinute fromDisplay(const QString& display);
    // The program clock's minute.
    static DueMinute current();
    bool isNull() const { return text_.isEmpty(); }
    const QString& text() const { return text_; }
    // Due at now: not later than now.
    bool dueAt(const DueMinute& now) const { return compare(now) <= 0; }
    bool laterThan(const DueMinute& now) const { return compare(now) > 0; }
    bool operator==(const DueMinute& o) const { return text_ == o.text_; }

private:
    int compare(const DueMinute& o) const { return QString::compare(text_, o.text_, Qt::CaseSensitive); }
    QString text_;
};

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

// A guide entry as listed: due minute, fixed part, variable part, listed as
// due + "," + fixed + "," + variable.  Taken apart once, from its trimmed
// text: the fields as they stand and trimmed.
class GuideEntry {
public:
    GuideEntry() = default;
    explicit GuideEntry(const QString& text);
    // Composed as listed; nothing trimmed or checked.
    static GuideEntry compose(const DueMinute& due, const QString& fixed, const QString& variable);
    const QString& text() const { return text_; }
    QString trimmed() const;
    // Null when the entry has no due minute.
    const DueMinute& due() const { return due_; }
    // The parts trimmed; empty when absent.
    const QString& fixed() const { return fixed_; }
    const QString& variable() const { return variable_; }
    // The stored form: the three fields as they stand and a comma; empty for
    // an entry without a due minute.
    QString storedForm() const;
    // The delete question's block, the details box, the pop-up's block.
    QString confirmForm() const;
    QString detailForm() const;
    QString popupBlock() const;

private:
    QString text_;
    // Fields 0 to 2 of the trimmed text as they stand (empty when absent).
    QString raw_[3];
    DueMinute due_;
    QString fixed_, variable_;
};

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
class ObservedList {
public:
    virtual ~ObservedList() = default;
    virtual QStringList texts() const = 0;
    // The one observer, told of every change from now on (none: empty).
    void observe(std::function<void(const ListChange&)> observer) { observer_ = std::move(observer); }

protected:
    void notify(ListChange::Kind kind, int row, const QStringList& texts = {}) const
    {
        if (observer_) observer_(ListChange{kind, row, texts});
    }

private:
    std::function<void(const ListChange&)> observer_;
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
    // Takes every entry whose due minute has come (not later than now), in
    // list order; entries that are empty or have no due minute stay.
    QList<DueEntry> takeDue(const DueMinute& now);
};

}  // namespace uFMsg
