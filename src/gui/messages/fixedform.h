#pragma once
// The fixed-form list (定型部): register, delete, delete all, pick and reset
// on the main window's controls.  The entries are the collection handed in;
// the list widget shows it.  Every change of the list is saved at once
// through the save service.
#include <QString>
#include <functional>

#include "gui/messages/msgrules.h"

class QListWidget;
class QPlainTextEdit;
class QWidget;

namespace uFMsg {

class FixedFormList {
public:
    struct Controls {
        QWidget* form = nullptr;          // owner of questions and head line
        QPlainTextEdit* Text1 = nullptr;  // fixed part
        QPlainTextEdit* Text2 = nullptr;  // variable part
        QListWidget* List1 = nullptr;
        QWidget* Dummy_Text = nullptr;  // takes the focus after an operation
    };
    struct Services {
        std::function<QString()> head;       // the status prefix
        std::function<QString(int)> keyMsg;  // catalogue line (prefix included)
        std::function<bool()> save;          // writes the whole list; false: not saved
    };
    FixedFormList(Controls c, FixedFormEntries* entries, Services s) : c_(c), entries_(entries), s_(std::move(s)) {}

    void Register();         // 定型登録
    void Delete();           // 定型削除
    void DeleteAll();        // 全て削除
    void Pick();             // a click on the list
    void Reset(int button);  // a mouse button pressed on the list (2 = right)

private:
    MsgInput input() const;
    void tidyUp();
    bool saved();
    void status(int key);
    QString head() const;

    Controls c_;
    FixedFormEntries* entries_;
    Services s_;
};

}  // namespace uFMsg
