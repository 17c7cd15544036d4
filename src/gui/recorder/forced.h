#pragma once
// Forced notification (強制通知): a message pushed to the recorder by hand,
// framed by an opening and a closing marker line, three records in all.
// CV手動通知 of the main window sends the typed message; the message
// catalogue sends a message of its list the same way.
#include <QString>
#include <functional>

class QPlainTextEdit;
class QWidget;

namespace uFCom_Bas {

// The marker lines (sent behind the status prefix).
extern const QString kForcedOpen;
extern const QString kForcedClose;
// The line shown when the recorder is not running.
extern const QString kNoRecorder;

class RecorderLink;

// Sends marker, message (text1, text2), marker to the recorder; nothing is
// shown.
void ForcedNotifySend(RecorderLink& recorder, const QString& head, const QString& text1, const QString& text2);

// CV手動通知 on the main window's inputs, which it reads and never changes.
class ManualNotify {
public:
    struct Controls {
        QWidget* form = nullptr;
        QPlainTextEdit* Text1 = nullptr;
        QPlainTextEdit* Text2 = nullptr;
        QWidget* Dummy_Text = nullptr;
    };
    struct Services {
        std::function<QString()> head;
        RecorderLink* recorder = nullptr;  // none: never running
    };
    ManualNotify(Controls c, Services s);
    void Command1_Click();

private:
    Controls c_;
    Services s_;
};

}  // namespace uFCom_Bas
