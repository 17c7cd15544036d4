#pragma once
// The program's own message box: every question ("削除確認", "終了確認")
// goes through uMsgBox_Show, modal, placed over the window that asks.
#include <QDialog>

class QPlainTextEdit;
class QPushButton;

class MsgBox_Dialog : public QDialog {
    Q_OBJECT
public:
    MsgBox_Dialog(QWidget* arg_Form, int arg_Pbl, const QString& arg_Title, const QString& arg_Msg);

    QPlainTextEdit* Text1 = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;

    int result() const { return result_; }
    // Where Form_Load placed the dialog, in twips.
    int placedTop() const { return top_; }
    int placedLeft() const { return left_; }

protected:
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void Form_Load();

    QWidget* owner_ = nullptr;
    int buttons_ = 0;
    QString title_;
    QString message_;
    int result_ = -1;
    int top_ = 0;
    int left_ = 0;
};

// 1 for OK, -1 for ｷｬﾝｾﾙ or the close box.
int uMsgBox_Show(QWidget* arg_Form, int arg_Pbl, const QString& arg_Title, const QString& arg_Msg);

// Who answers the questions (a seam: see core/seam.h): the system's shows
// the box to the operator and waits; a stand-in gets the box as it would be
// shown and answers at once.  1 is OK, anything else ｷｬﾝｾﾙ.
class MsgBoxAnswerer {
public:
    virtual ~MsgBoxAnswerer() = default;
    virtual int answer(MsgBox_Dialog& box) = 0;
    static MsgBoxAnswerer& system();
};
