#pragma once
// The guide list (ｶﾞｲﾄﾞ部): register through the date/time dialog, delete,
// delete all, details and reset on the main window's controls, on the
// schedule handed in, which the guide list widget shows.  Every change
// is saved at once through the save service, so a crash or a kill loses no
// entry.  The monitor's due checks run while the dialogs of these operations
// are open, so entries are always looked up again by text afterwards.
#include <QString>
#include <functional>

#include "model/messages/entries.h"
#include "model/messages/repeat.h"

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
        // The main window's hand-over members of the date/time dialog.
        QString* meStrVLSelectKey = nullptr;
        QString* meStrVLSelectVar = nullptr;
        QString* meStrVLSelectYMD = nullptr;
        QString* meStrVLSelectRepeat = nullptr;  // the repetition chosen
    };
    struct Services {
        std::function<QString()> head;        // the status prefix
        std::function<QString(int)> keyMsg;   // catalogue line (prefix included)
        std::function<bool()> save;           // writes the whole guide list; false: not saved
        std::function<void()> selectDueTime;  // the date/time dialog, modal
        // Asks title / question with OK and ｷｬﾝｾﾙ: 1 for OK, -1 otherwise.
        std::function<int(const QString&, const QString&)> confirm;
    };
    // entries: the fixed-form list (whether the inputs may have come from
    // it); schedule: the guide list; repeats: the rules whose occurrences
    // stand in it.  The list widgets show the lists.
    GuideList(Controls c, const FixedFormEntries* entries, GuideSchedule* schedule, RepeatRules* repeats, Services s)
        : c_(c), entries_(entries), schedule_(schedule), repeats_(repeats), s_(std::move(s))
    {}

    void Register();         // ｶﾞｲﾄﾞ部登録
    void Delete();           // ｶﾞｲﾄﾞ部削除
    void DeleteAll();        // 全て削除
    void Details();          // a click on the list
    void Reset(int button);  // a mouse button pressed on the list (2 = right)

private:
    void status(int key);
    bool save();
    void deselect();
    void clearHandOver();

    bool confirmed(const QString& question);
    // A rule and its first occurrence at or after the chosen minute.
    void registerRepeat(const RepeatRule& rule, const DueMinute& chosen);
    // The rule entry is an occurrence of, or -1.
    int ruleOf(const QString& entry) const;

    Controls c_;
    const FixedFormEntries* entries_;
    GuideSchedule* schedule_;
    RepeatRules* repeats_;
    Services s_;
};

}  // namespace uFMsg
