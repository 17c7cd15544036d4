#pragma once
// DTSelect_Dialog "日付時刻選択": asks for the date and minute at which a
// guide message is announced.  Modal, built afresh for every opening.  It
// shows the message it is given and, when the operator confirms a minute
// later than the current one, closes with that choice: the minute and the
// repetition chosen under the time (毎日, 平日 or 毎週 + the chosen day's
// weekday; empty for なし).  戻る and the close box close it without one.
#include <QDialog>
#include <array>
#include <optional>

#include "model/calendar/calendar.h"
#include "model/messages/dueminute.h"
#include "model/messages/statustexts.h"

class QCalendarWidget;
class QCheckBox;
class QDateEdit;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// What the operator confirmed.
struct DueChoice {
    uFMsg::DueMinute minute;
    // The rule word of the repetition; empty for なし.
    QString rule;
    // 休日は鳴らさない, for a repetition that may announce on a 休日.
    bool skipHolidays = false;
    // 終了日, for a repetition; invalid: none.
    QDate end;
    // 予告: minutes of advance notice; 0: none.
    int notice = 0;
};

class DTSelect_Dialog : public QDialog {
    Q_OBJECT
public:
    // The message being scheduled, and the status prefix of the refusal line;
    // the site's calendar, whose 休日 the month shows in red with their names;
    // a choice to start from (a rule being changed: a repetition must then
    // be chosen).
    struct Message {
        QString fixed;
        QString variable;
        QString head;
        const uFCal::Calendar* calendar = nullptr;
        std::optional<DueChoice> preset = std::nullopt;
    };
    DTSelect_Dialog(QWidget* mainWindow, Message message);

    // Opens the dialog on mainWindow and waits: the choice confirmed with
    // 設定, none after 戻る or the close box.
    static std::optional<DueChoice> ask(QWidget* mainWindow, const Message& message);
    // The choice once 設定 was pressed with a minute later than the current.
    const std::optional<DueChoice>& choice() const { return choice_; }

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
    QCheckBox* Check1 = nullptr;  // 休日は鳴らさない
    QCheckBox* Check2 = nullptr;  // 終了日
    QDateEdit* Date1 = nullptr;   // the end's day
    QLabel* Label5 = nullptr;     // 予告
    QComboBox* Combo3 = nullptr;  // なし, 1 ... 60 分前

    // The rule word of the repetition chosen for the calendar's day; empty
    // for なし.
    QString repeatRule() const;

private:
    void setupControls();
    void Form_Load();
    // 休日は鳴らさない as the repetition allows: ticked and greyed for 平日,
    // greyed for なし, the operator's for 毎日 and 毎週.
    void Combo2_Change();
    // The items that name the chosen day follow it (毎週(水)).
    void dateChanged();
    // The shown month's 休日 in red, with their names as tool tips.
    void markHolidays(int year, int month);
    void presetChoice(const DueChoice& preset);
    // The hour (0) or minute (1) chosen; 0 when none is.
    int hourOrMinute(int index) const;

    QWidget* mainWindow_;
    Message m_;
    std::optional<DueChoice> choice_;
    // 休日は鳴らさない as the operator set it for 毎日 and 毎週.
    bool skipHolidays_ = false;
    int top_ = 0;
    int left_ = 0;
};
