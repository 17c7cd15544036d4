#pragma once
// Import_Dialog "ｽｹｼﾞｭｰﾙのｲﾝﾎﾟｰﾄ": every row of the file with its line number
// and either 取込 or the reason it is refused, before anything is applied.
// 取込 closes it accepted; ｷｬﾝｾﾙ and the close box apply nothing.  Modal.
#include <QDialog>
#include <array>

#include "model/config/exchange.h"

class QLabel;
class QPushButton;
class QTableWidget;

class Import_Dialog : public QDialog {
    Q_OBJECT
public:
    Import_Dialog(QWidget* mainWindow, const uFConf::ImportPlan& plan);

    enum Column { ColLine, ColKind, ColMinute, ColRule, ColFixed, ColVariable, ColResult, ColCount };
    QTableWidget* Table1 = nullptr;
    QLabel* Label1 = nullptr;                // how many rows are taken and refused
    std::array<QPushButton*, 2> Command1{};  // 取込, ｷｬﾝｾﾙ

private:
    QWidget* mainWindow_;
};
