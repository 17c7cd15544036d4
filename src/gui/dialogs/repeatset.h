#pragma once
// RepeatSet_Dialog "繰り返し設定": every rule of the schedule with its next
// occurrence, and what the operator does with one: 変更 (repetition, time,
// 休日を除く through the date/time dialog; the message stays), 次回のみ休止,
// 停止 / 再開 and 削除.  A preview shows the selected rule's next 14
// announcing occurrences and the days passed over between them, each with
// its reason.  Every change is the schedule's operation, saved at once, and
// ends in a status line on the main window's head line.  Modal; it follows
// the schedule while it is open (a due check may move a rule's next one).
#include <QDialog>
#include <array>

#include "model/messages/schedule.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableWidget;

class RepeatSet_Dialog : public QDialog {
    Q_OBJECT
public:
    // head: the status prefix ("[" + title + "]").
    RepeatSet_Dialog(QWidget* mainWindow, uFMsg::Schedule* schedule, QString head);
    ~RepeatSet_Dialog() override;

    // The table's columns.
    enum Column { ColRule, ColTime, ColFixed, ColVariable, ColHoliday, ColNext, ColCount };

    QLineEdit* Dummy_Text = nullptr;
    QTableWidget* Table1 = nullptr;
    // 変更, 次回のみ休止, 停止 / 再開, 削除.
    std::array<QPushButton*, 4> Command1{};
    QPushButton* Command2 = nullptr;  // 閉じる
    QLabel* Label1 = nullptr;         // the preview's heading
    QListWidget* List1 = nullptr;     // the preview

    // The buttons' work, on the selected rule.
    void Command1_Click(int index);
    // The table and the preview as the schedule stands now.
    void refresh();

private:
    void setupControls();
    int selectedRow() const;
    void showPreview();
    void status(const QString& text);

    QWidget* mainWindow_;
    uFMsg::Schedule* schedule_;
    QString head_;
    int observer_ = 0;
};
