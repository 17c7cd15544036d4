#pragma once
// DTSelect_Dialog "日付時刻選択": asks for the date and minute at which a
// guide message is announced.  Modal, built afresh for every opening.  It
// reads the message from the main window's hand-over members and, when the
// operator confirms a minute later than the current one, writes the due
// time (yyyy/mm/dd-hh:mm) into meStrVLSelectYMD, and the repetition chosen
// under the time (毎日, 平日 or 毎週 + the chosen day's weekday; empty for
// なし) into meStrVLSelectRepeat, and closes; 戻る and the close box leave
// them as the caller set them (empty).
#include <QDialog>
#include <array>

class QCalendarWidget;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class DTSelect_Dialog : public QDialog {
    Q_OBJECT
public:
    // The main window's members the dialog reads and writes.
    struct HandOver {
        const QString* meStrVLSelectKey = nullptr;
        const QString* meStrVLSelectVar = nullptr;
        QString* meStrVLSelectYMD = nullptr;
        // The status prefix of the refusal line.
        QString head;
        // The repetition chosen; none asked for when null.
        QString* meStrVLSelectRepeat = nullptr;
    };
    DTSelect_Dialog(QWidget* mainWindow, HandOver handOver);

    void TimeListSet();
    void TimeListSelect(const QString& kind, const QString& value);

    void Command1_Click(int index);
    void Combo1_Click(int index);
    void MonthView1_DateClick();

    // Where the load placed the dialog, in twips.
    int placedTop() const { return top_; }
    int placedLeft() const { return left_; }

    QLineEdit* Dummy_Text = nullptr;
    QGroupBox* Frame1 = nullptr;
    QLabel* Label1 = nullptr;
    QCalendarWidget* MonthView1 = nullptr;
    QLabel* Label3 = nullptr;
    QPlainTextEdit* Text1 = nullptr;
    std::array<QLabel*, 2> Label2{};
    std::array<QComboBox*, 2> Combo1{};
    std::array<QPushButton*, 2> Command1{};
    QLabel* Label4 = nullptr;
    QComboBox* Combo2 = nullptr;  // 繰り返し

    // The rule word of the repetition chosen for the calendar's day; empty
    // for なし.
    QString repeatRule() const;

private:
    void setupControls();
    void Form_Load();
    // The hour (0) or minute (1) chosen; 0 when none is.
    int hourOrMinute(int index) const;

    QWidget* mainWindow_;
    HandOver h_;
    int top_ = 0;
    int left_ = 0;
};
