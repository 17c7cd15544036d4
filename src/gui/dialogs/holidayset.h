#pragma once
// Holiday_Dialog "休日設定": the site's calendar.  国民の祝日を休日にする,
// this year's and next year's national holidays with their names, the
// closing periods (first day, last day, name) and the open days (day, name),
// each added and removed here.  Every change is the schedule's calendar
// change: saved at once, every rule's listed occurrence placed again, and a
// status line on the main window's head line.  Modal.
#include <QDialog>
#include <array>

#include "model/messages/schedule.h"

class QCheckBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

class Holiday_Dialog : public QDialog {
    Q_OBJECT
public:
    // head: the status prefix ("[" + title + "]").
    Holiday_Dialog(QWidget* mainWindow, uFMsg::Schedule* schedule, QString head);

    QLineEdit* Dummy_Text = nullptr;
    QCheckBox* Check1 = nullptr;  // 国民の祝日を休日にする
    QGroupBox* Frame1 = nullptr;  // national holidays
    QListWidget* List1 = nullptr;
    QGroupBox* Frame2 = nullptr;  // closing periods
    QListWidget* List2 = nullptr;
    std::array<QDateEdit*, 2> Date1{};       // first, last day
    QLineEdit* Text1 = nullptr;              // name
    std::array<QPushButton*, 2> Command1{};  // 追加, 削除
    QGroupBox* Frame3 = nullptr;             // open days
    QListWidget* List3 = nullptr;
    QDateEdit* Date2 = nullptr;
    QLineEdit* Text2 = nullptr;
    std::array<QPushButton*, 2> Command2{};  // 追加, 削除
    QPushButton* Command3 = nullptr;         // 閉じる

    void Check1_Click();
    void Command1_Click(int index);
    void Command2_Click(int index);
    // The lists as the calendar stands now.
    void refresh();

private:
    void setupControls();
    // The calendar changed by change, saved and said.
    void apply(const uFCal::Calendar& changed);

    QWidget* mainWindow_;
    uFMsg::Schedule* schedule_;
    QString head_;
};
