#pragma once
// MsgAdjust_Dialog "画面調整": how the main window comes up at the next start
// (style, and place and size in cells of the placement grid).  適用 writes
// Section_FormStyle / FormStyle; the running window does not change.
#include <QDialog>
#include <array>
#include <functional>

#include "model/config/env.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace uFCom_Bas {
class SpinBar;
}

class MsgAdjust_Dialog : public QDialog {
    Q_OBJECT
public:
    struct Services {
        // Writes the FormStyle value; false when it was not saved (the
        // failure line is then the save's own).
        std::function<bool(const QString&)> save;
    };
    // own: the window style values read at start-up.
    MsgAdjust_Dialog(QWidget* mainWindow, const uFCom_Bas::ProgEntry& own, Services services);

    void Command2_Click();  // 適用
    void Command1_Click();  // 戻る
    void VScroll1_Change(int index);
    // The value 適用 writes.
    QString formStyleValue() const;

    QLineEdit* Text1 = nullptr;
    QGroupBox* Frame1 = nullptr;
    std::array<QRadioButton*, 3> Option1{};
    QPushButton* Command2 = nullptr;
    std::array<QLabel*, 4> Label1{};
    std::array<QLabel*, 4> Label2{};
    std::array<uFCom_Bas::SpinBar*, 4> VScroll1{};
    QPushButton* Command1 = nullptr;

private:
    void setupControls();
    void Form_Load();

    QWidget* mainWindow_;
    uFCom_Bas::ProgEntry own_;
    Services s_;
};
