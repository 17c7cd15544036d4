#pragma once
// The head line of the main window: one time-stamped status line, shown for
// three seconds, then moved into the drop-down history; optionally forwarded
// to the recorder.
//
// Controls are found on the main window by object name: the QLabel
// "Head_Label_1" (message line), the QComboBox "Head_Combo" (history), the
// QLabel "Dummy_Label" (invisible, measures text widths) and the
// uFCom_Bas::Timer "HeadMsgTimer" (clears the line).  A missing control
// skips the steps that use it.  The main window connects the timer's Tick to
// HeadMsgTimer_Tick.
#include <QString>
#include <functional>

class QLabel;
class QWidget;

namespace uFHLabel_Bas {

// Modes of HeadMsgShow.
enum : int {
    kModeClear = 0,      // move the shown line into the history, clear the label
    kModeShow = 1,       // show (replacing and archiving the previous line)
    kModeShowSend = 11,  // show, then forward to the recorder
    kModeSendOnly = 13,  // forward to the recorder only
};

// The colour of HeadMsgShow that keeps the label's designed background.
constexpr int kDesignedColour = -1;

// How long a shown line stays before it moves into the history.
constexpr int kShowMs = 3000;
// Entries of the history list: the empty entry 0 and nine lines.
constexpr int kHistoryMax = 10;

// The single way the program reports to the operator.  colour is a colour
// value (uFCom_Bas::ColorGet); -1, or a value that is no colour, means the
// label's designed background colour.
void HeadMsgShow(QWidget* window, int mode, int colour, const QString& text1, const QString& text2);

// Width in pixels of text in the label when the label sizes itself to it.
// The label keeps the text and the size.
int TextWidthGet(QLabel* label, const QString& text);

// The clear timer's tick: stop the timer and clear the line (mode 0).
void HeadMsgTimer_Tick(QWidget* window);

// Where modes 11 and 13 forward the two texts of the window's head line:
// its recorder link, installed by the application when it starts.  Without
// one (or without a window) nothing is forwarded.
void SetForwarder(QWidget* window, std::function<void(const QString& text1, const QString& text2)> forward);

}  // namespace uFHLabel_Bas
