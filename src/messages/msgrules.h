#pragma once
// The rules every message of the program follows: the two parts and their
// limits, the fixed-form and guide entry forms, lookups in the two lists,
// the current minute and the due rule, the display forms, the status keys.
#include <QString>
#include <functional>

class CVMsgKey_Dialog;
class QListWidget;
class QPlainTextEdit;
class QWidget;

namespace uFMsg {

// Characters (UTF-16 code units) per part, after trimming.
constexpr int MsgLenMax = 64;
// Entries per list.
constexpr int ListItemMax = 100;

// Colour index of the list operations' status lines (light yellow).
constexpr int kStatusColour = 30;

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

// MsgInputGet on the two input boxes of the main window; refusals are shown
// on form's head line.
MsgInput MsgInputRead(QWidget* form, const QPlainTextEdit* text1, const QPlainTextEdit* text2, const QString& head);
// A list operation's status line on form's head line (shown only, light
// yellow); an empty line shows nothing.
void StatusShow(QWidget* form, const QString& line);

// The key of a fixed-form entry: its first comma field.
QString EntryItemKey(const QString& entry);
// -9 for an empty key, -1 for no match, else the lowest matching row.
int EntryItemFind(const QListWidget* list, const QString& key);
// -9 for an empty text, -1 for no match, else the lowest row whose trimmed
// item equals text.
int CycleItemFind(const QListWidget* list, const QString& text);

// due + "," + fixed + "," + variable; nothing trimmed or checked.
QString CycleItemCompose(const QString& due, const QString& fixed, const QString& variable);

// A guide entry taken apart: each field trimmed, empty when absent.
struct CycleFields {
    QString due;
    QString fixed;
    QString variable;
};
CycleFields CycleItemRead(const QString& entry);

// A comma field is present when it is neither empty nor the missing-field
// marker.
bool FieldPresent(const QString& field);

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

// Ordinal (UTF-16 code unit) order, independent of the locale; equal texts
// stand together.  Returns the row the text went to.
int ListInsertSorted(QListWidget* list, const QString& text);
// The selected row, or -1.
int ListSelectedRow(const QListWidget* list);
// No row selected, no current row.
void ListClearSelection(QListWidget* list);

// Status lines of the list operations (catalogue numbers).
enum StatusKey : int {
    kEntryAdded = 201,
    kEntryFull = 202,
    kEntryUpdated = 203,
    kEntryDeleted = 204,
    kEntryCleared = 205,
    kCycleAdded = 211,
    kCycleFull = 212,
    kCycleUpdated = 213,
    kCycleDeleted = 214,
    kMonitorStarted = 215,
    kMonitorStopped = 216,
    kCycleCleared = 218,
};
// The catalogue line of a status key, prefix included; from the table
// directly while no catalogue is loaded.
QString KeyStatusText(const CVMsgKey_Dialog* catalog, int key);

}  // namespace uFMsg
