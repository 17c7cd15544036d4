#pragma once
// The messages as values, without widgets: the two parts of a message and
// their limits, the fixed-form and guide entries with their text forms and
// the due rule, and the two lists as ordered collections.  The list widgets
// of the main window only show these collections.
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

// The key of a fixed-form entry: its first comma field.
QString EntryItemKey(const QString& entry);

// A guide entry: due minute "yyyy/mm/dd-hh:mm", fixed part, variable part,
// listed as due + "," + fixed + "," + variable.
// Composed as listed; nothing trimmed or checked.
QString CycleItemCompose(const QString& due, const QString& fixed, const QString& variable);
// A guide entry taken apart: each field trimmed, empty when absent.
struct CycleFields {
    QString due;
    QString fixed;
    QString variable;
};
CycleFields CycleItemRead(const QString& entry);

// "yyyy/mm/dd-hh:mm" of the program clock.
QString CurrentMinute();
// The minute form of a 23-character display text "yyyy/mm/dd hh:mm:ss:fff".
QString MinuteOf(const QString& display);
// Due when the due time is not later than now (ordinal text order).
bool IsDue(const QString& due, const QString& now);

// Display forms.
QString EntryConfirmForm(const QString& fixed);
QString CycleConfirmForm(const QString& entry);
QString CycleDetailForm(const QString& entry);
QString CyclePopupBlock(const QString& entry);

// Entry texts in ordinal (UTF-16 code unit) order, independent of the
// locale; equal texts stand together.  Full at ListItemMax: the operations
// that add refuse then.
class EntryList {
public:
    int size() const { return static_cast<int>(texts_.size()); }
    bool isEmpty() const { return texts_.isEmpty(); }
    bool isFull() const { return size() >= ListItemMax; }
    const QString& at(int row) const { return texts_.at(row); }
    const QStringList& texts() const { return texts_; }
    // Puts the text behind its equals; the row it went to.
    int insertSorted(const QString& text);
    // Replaces the text at row where it stands.
    void replace(int row, const QString& text);
    void removeAt(int row);
    void clear() { texts_.clear(); }
    // The texts in ordinal order, whatever order they come in.
    void assign(const QStringList& texts);

protected:
    QStringList texts_;
};

// The fixed-form entries (定型部).
class FixedFormEntries : public EntryList {
public:
    // -9 for an empty key, -1 for no match, else the lowest row whose key
    // (first comma field) is key.
    int find(const QString& key) const;
};

// A guide entry the due check takes off the schedule.
struct DueEntry {
    // Its row when it was taken (the entries taken before it are gone).
    int row = -1;
    // The entry trimmed, and its fields.
    QString text;
    CycleFields fields;
};

// The guide entries (ｶﾞｲﾄﾞ部).
class GuideSchedule : public EntryList {
public:
    // -9 for an empty text, -1 for no match, else the lowest row whose
    // trimmed text is text.
    int find(const QString& text) const;
    // Takes every entry whose due minute has come (not later than now), in
    // list order; entries that are empty or have no due minute stay.
    QList<DueEntry> takeDue(const QString& now);
};

}  // namespace uFMsg
