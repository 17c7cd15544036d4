#pragma once
// The head line of the main window: one time-stamped status line, shown for
// three seconds, then moved into the drop-down history; optionally forwarded
// to the recorder.
//
// The main window owns one HeadLine, made with its controls: the message
// label, the history drop-down, an invisible label that measures text
// widths and the timer that clears the line.  HeadMsgShow, the entry point
// the rest of the program reports through, finds the window's head line.
#include <QColor>
#include <QObject>
#include <QString>
#include <deque>

class QComboBox;
class QLabel;
class QWidget;

namespace uFCom_Bas {
class RecorderLink;
class Timer;
}  // namespace uFCom_Bas

namespace uFHLabel_Bas {

enum class HeadMode {
    Clear,     // move the shown line into the history, clear the label
    Show,      // show (replacing and archiving the previous line)
    ShowSend,  // show, then forward to the recorder
    SendOnly,  // forward to the recorder only
};

// The colour of HeadMsgShow that keeps the label's designed background.
constexpr int kDesignedColour = -1;

// How long a shown line stays before it moves into the history.
constexpr int kShowMs = 3000;
// Entries of the history list: the empty entry 0 and nine lines.
constexpr int kHistoryMax = 10;

class HeadLine : public QObject {
    Q_OBJECT
public:
    struct Controls {
        QLabel* label = nullptr;            // the shown line
        QComboBox* history = nullptr;       // earlier lines, newest first
        QLabel* measure = nullptr;          // invisible, measures widths
        uFCom_Bas::Timer* timer = nullptr;  // clears the line
    };
    // A child of window from now on; recorder is where modes ShowSend and
    // SendOnly forward (none: nothing is forwarded).
    HeadLine(QWidget* window, Controls controls, uFCom_Bas::RecorderLink* recorder = nullptr);
    void setRecorder(uFCom_Bas::RecorderLink* recorder) { recorder_ = recorder; }

    // colour is a colour value (uFCom_Bas::ColorGet); -1, or a value that
    // is no colour, means the label's designed background colour.
    void show(HeadMode mode, int colour, const QString& text1, const QString& text2);
    // A line shown once the line now shown has had its time (at once when
    // none is shown), after any line queued before it.
    void showNext(HeadMode mode, int colour, const QString& text1, const QString& text2);
    // The full text of the line now shown; empty when none is.
    const QString& shownLine() const { return pending_; }
    // Lines waiting for their turn (showNext).
    int waiting() const { return static_cast<int>(queued_.size()); }

    // The window's head line, or null.
    static HeadLine* of(const QWidget* window);

private:
    struct Line {
        HeadMode mode;
        int colour;
        QString text1, text2;
    };
    // The clear timer's tick: the next queued line, else a clear.
    void timerTick();
    void moveToHistory();
    void firstCallSetUp();

    Controls c_;
    uFCom_Bas::RecorderLink* recorder_;
    bool labelColourSaved_ = false;
    QColor labelColour_;
    // Set once the history got its empty entry 0.
    bool historyReady_ = false;
    // Full, untruncated text of the line now shown.
    QString pending_;
    std::deque<Line> queued_;
};

// The single way the program reports to the operator: the window's head
// line shows (and forwards) the line; a window without one changes nothing.
void HeadMsgShow(QWidget* window, HeadMode mode, int colour, const QString& text1, const QString& text2);

// Width in pixels of text in the label when the label sizes itself to it.
// The label keeps the text and the size.
int TextWidthGet(QLabel* label, const QString& text);

}  // namespace uFHLabel_Bas
