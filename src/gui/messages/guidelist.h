#pragma once
// The guide list (ｶﾞｲﾄﾞ部) on the main window's controls: register through
// the date/time dialog, delete, delete all, details and reset.  The
// schedule does the work and saves; this reads the inputs, asks, and shows
// what the schedule did.  The monitor's due checks run while the dialogs of
// these operations are open, so entries are always looked up again by text
// afterwards.
#include <QString>
#include <functional>

#include "model/messages/entries.h"
#include "model/messages/schedule.h"

class QListWidget;
class QPlainTextEdit;
class QWidget;

namespace uFMsg {

class GuideList {
public:
    struct Controls {
        QWidget* form = nullptr;          // owner of questions and head line
        QPlainTextEdit* Text1 = nullptr;  // fixed part
        QPlainTextEdit* Text2 = nullptr;  // variable part
        QPlainTextEdit* Text3 = nullptr;  // details of the selected entry
        QListWidget* List1 = nullptr;     // fixed-form list
        QListWidget* List2 = nullptr;     // guide list
        QWidget* Dummy_Text = nullptr;
    };
    struct Services {
        std::function<QString()> head;       // the status prefix
        std::function<QString(int)> keyMsg;  // catalogue line (prefix included)
    };
    // entries: the fixed-form list (whether the inputs may have come from
    // it); schedule: what List2 shows.
    GuideList(Controls c, const FixedFormEntries* entries, Schedule* schedule, Services s);
    ~GuideList();
    GuideList(const GuideList&) = delete;
    GuideList& operator=(const GuideList&) = delete;

    void Register();         // ｶﾞｲﾄﾞ部登録
    void Delete();           // ｶﾞｲﾄﾞ部削除
    void DeleteAll();        // 全て削除
    void Details();          // a click on the list
    void Reset(int button);  // a mouse button pressed on the list (2 = right)
    // The repeat icon on each entry of List2 that is a rule's occurrence
    // (its text stays as it is); done after every change of the schedule.
    void markOccurrences();

private:
    void status(int key);
    void deselect();
    void tidyInputs();
    QString head() const { return s_.head ? s_.head() : QString(); }

    Controls c_;
    const FixedFormEntries* entries_;
    Schedule* schedule_;
    Services s_;
    int observer_ = 0;
};

}  // namespace uFMsg
