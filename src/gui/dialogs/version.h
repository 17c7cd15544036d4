#pragma once
// Ver_Dialog: the program's title, version and copyright notice, and that
// it works with the recorder ｺｰｳﾞｪｲﾝ.
#include <QDialog>

class QLabel;
class QPushButton;

class Ver_Dialog : public QDialog {
    Q_OBJECT
public:
    explicit Ver_Dialog(QWidget* mainWindow);

    // "1.0.0", from the build's project version.
    static QString versionText();

    QLabel* Picture1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* OKButton = nullptr;
};
