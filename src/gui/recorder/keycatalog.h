#pragma once
// CVMsgKey_Dialog: the catalogue of the numbered status messages.  It is the
// lookup table the main window takes its status texts from (KeyMsgGet), and,
// shown from the menu, lets the operator push any of them to the recorder by
// hand (forced notification).  Loaded hidden at start-up; its buttons and
// close box only hide it.
#include <QDialog>
#include <QPointer>
#include <QString>
#include <array>

class QCloseEvent;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
namespace uFCom_Bas {
class RecorderLink;
}

class CVMsgKey_Dialog : public QDialog {
    Q_OBJECT
public:
    // Builds the controls and runs the load: placement relative to the main
    // window's placement record, then the catalogue, each entry behind the
    // status prefix head.  Status lines go to mainWindow's head line, forced
    // notifications to the recorder (none: never running).
    explicit CVMsgKey_Dialog(QWidget* mainWindow = nullptr, const QString& head = QString(),
                             uFCom_Bas::RecorderLink* recorder = nullptr);
    // Entries are added only while the list holds fewer than this.
    static constexpr int kListMax = 32001;

    // Prefix + message text of number arg_MsgNo, or empty.
    QString KeyMsgGet(int arg_MsgNo) const;
    // List position of number no, or -1.
    int KeyMsgIndex(int no) const;
    // Adds one entry unless the text is blank, the number is present or the
    // list is full.
    void KeyMsgAdd(int no, const QString& text);
    // Rebuilds the content: help text, catalogue, count.
    void KeyMsgListSet();

    // Set by the main window at shutdown: the close box then really closes.
    void setUnloading(bool on) { unloading_ = on; }

    // Controls (object names as the control names).
    QLineEdit* Dummy_Text = nullptr;
    QGroupBox* Frame1 = nullptr;
    std::array<QLabel*, 2> Label1{};
    QListWidget* List1 = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;

public slots:
    void Command1_Click();
    void Command2_Click();
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setupControls();
    void Form_Load();
    int selectedRow() const;
    void clearSelection();
    void focusDummy();

    QPointer<QWidget> mainWindow_;
    QString head_;
    uFCom_Bas::RecorderLink* recorder_ = nullptr;
    bool unloading_ = false;
};
