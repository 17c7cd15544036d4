#pragma once
// The main window: head line with clock and history, the message setting
// half (fixed-form list) and the guide half (guide list, monitor area).  It
// builds its controls (layout.cpp), hands them to the parts that work on
// them (the list controllers, the monitor, the head line, the manual
// notification) and forwards its events to them; the schedule and the
// configuration live in the model.
#include <QMainWindow>
#include <array>
#include <memory>

#include "model/config/env.h"
#include "model/config/myconf.h"

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QScrollBar;
class CVMsgKey_Dialog;
class GuideMsg_Dialog;
namespace uFMsg {
class FixedFormList;
class GuideList;
class ScheduleFile;
}  // namespace uFMsg
namespace uFMon {
class GuideMonitor;
}
namespace uFHLabel_Bas {
class HeadLine;
}
namespace uFCom_Bas {
class ManualNotify;
class OwnSlot;
class RequestServer;
class RecorderLink;
class Timer;
}  // namespace uFCom_Bas

// The window's controls and menus as designed, named as the form names them
// (object names too: Command3[1] is "Command3_1"); made by setupUi.
struct Form1Ui {
    std::array<QLabel*, 2> Head_Label{};
    QComboBox* Head_Combo = nullptr;
    QLineEdit* Dummy_Text = nullptr;
    QLabel* Dummy_Label = nullptr;
    QGroupBox* Frame1 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QGroupBox* Frame3 = nullptr;
    QGroupBox* Frame4 = nullptr;
    std::array<QLabel*, 2> Label1{};
    QPlainTextEdit* Text1 = nullptr;
    QPlainTextEdit* Text2 = nullptr;
    QPlainTextEdit* Text3 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    std::array<QPushButton*, 2> Command2{};
    QPushButton* Command1 = nullptr;
    std::array<QPushButton*, 2> Command3{};
    std::array<QPushButton*, 2> Command4{};
    std::array<QPushButton*, 2> Command5{};
    QListWidget* List1 = nullptr;
    QListWidget* List2 = nullptr;
    QScrollBar* VScroll1 = nullptr;
    QCheckBox* Check1 = nullptr;
    uFCom_Bas::Timer* Timer1 = nullptr;
    uFCom_Bas::Timer* Timer2 = nullptr;
    uFCom_Bas::Timer* DateTimer = nullptr;
    uFCom_Bas::Timer* HeadMsgTimer = nullptr;
    uFCom_Bas::Timer* MailRecvTimer = nullptr;

    QMenu* menu = nullptr;
    QAction* menu_adjust = nullptr;
    QAction* menu_repeat = nullptr;
    QAction* menu_holiday = nullptr;
    QAction* menu_export = nullptr;
    QAction* menu_import = nullptr;
    QAction* menu_dummy0 = nullptr;
    QAction* menu_tomr = nullptr;
    QAction* menu_dummy1 = nullptr;
    QAction* menu_explorer = nullptr;
    QAction* menu_dummy2 = nullptr;
    QAction* menu_end = nullptr;
    QMenu* menu_help = nullptr;
    QAction* menu_help_help = nullptr;
    QAction* menu_help_dummy0 = nullptr;
    QAction* menu_help_ver = nullptr;
    QMenu* sub1_menu = nullptr;
    QAction* sub1_menu_dsp = nullptr;
    QAction* sub1_menu_dummy0 = nullptr;
    QAction* sub1_menu_end = nullptr;
    QAction* sub1_menu_dummy1 = nullptr;
    QAction* sub1_menu_cansel = nullptr;
};

class Form1 : public QMainWindow, public Form1Ui {
    Q_OBJECT
public:
    // env: the run's environment, as the start-up read it.
    explicit Form1(const uFCom_Bas::EnvRecord& env, QWidget* parent = nullptr);
    ~Form1() override;

    // Load sequence; returns false when the window unloaded while loading.
    bool Form_Load(const QString& caption, const QIcon& icon);
    // The shutdown: always ends the process (through the process-end hook).
    void Form_Unload();

    QString FormKeyMsgHead() const;
    // "【caption】 が準備できません。終了します。": the own mailslot cannot be made.
    static QString SlotFailText(const QString& caption);
    // The automatic confirmation of the guide pop-up, which reads and
    // changes it (a change is saved at once).
    int Form_AutoGuide() const;
    int Form_MyConfWriteAutoGuide(int& arg_LngAutoGuide);

    QString meForm_StrTitle;
    // Shown in the notification area instead of the task bar.
    int TrayShown = 0;
    // From the start of the shutdown on.
    bool unloading() const { return unloading_; }

    // The configuration as the run keeps it: the settings, both lists, the
    // schedule.
    uFConf::MyConf& conf() { return *conf_; }
    // True once the lists were loaded from the file.
    bool listsLoaded() const { return listsLoaded_; }
    // The link to the recorder, which the window's parts send through.
    uFCom_Bas::RecorderLink& recorder() const { return *recorder_; }
    // The guide monitor, and its pop-up while it is loaded (else null).
    uFMon::GuideMonitor* monitor() const { return monitor_.get(); }
    GuideMsg_Dialog* guidePopup() const;
    // The catalogue loaded at start-up (may be null): the status lines come
    // from it.
    void setKeyCatalog(CVMsgKey_Dialog* dialog) { keyCatalog_ = dialog; }

public slots:
    // A right button on the notification-area icon.
    void trayRightClicked();

protected:
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // layout.cpp: the controls and menus, placement, layout and texts.
    void setupUi();
    void setupControls();
    void setupMenus();
    void FormPlaceInit();
    void FormTextSet();
    void HeadRowLayout();
    void FormLayout();
    int px(int twips) const;
    int pxY(int twips) const;
    int windowWidthTw() const;
    int windowHeightTw() const;

    // Connects the window's own controls, timers and menus to its handlers,
    // and makes the parts that work on them.
    void wireWindow();
    void wireParts();
    void MyConfRead();
    // What the load did to the schedule: said on standard error, saved
    // (when the file can be written), and its lines shown once the start's
    // own lines are done.
    void LoadOutcomeShow(bool canSave);
    // A numbered status line, prefix included: the catalogue's, else the
    // table's.
    QString statusText(int key) const;
    int CloseConfirm();
    void Form_QueryUnload(QCloseEvent* e);
    void Form_Resize();
    // A right button on the head label while the window is minimised opens
    // the icon menu.
    void Form_MouseMove(Qt::MouseButtons buttons);

    void menu_end_Click();
    void menu_adjust_Click();
    void sub1_menu_dsp_Click();
    void DateTimer_Timer();

    uFCom_Bas::EnvRecord Env;
    // This program's entry of the table, taken once at load (empty when the
    // table does not list it).
    uFCom_Bas::ProgEntry Own;
    int unitsX_ = 15;
    int unitsY_ = 15;
    bool loaded_ = false;
    bool unloading_ = false;
    bool listsLoaded_ = false;
    // Mode of the head line for a failed save: shown, and at shutdown also
    // forwarded to the recorder.
    bool saveFailureSent_ = false;
    // The exit status a refusal at load has set (the save at shutdown may
    // still make it 1).
    int endStatus_ = 0;
    CVMsgKey_Dialog* keyCatalog_ = nullptr;
    uFHLabel_Bas::HeadLine* headLine_ = nullptr;
    uFCom_Bas::OwnSlot* ownSlot_ = nullptr;
    std::unique_ptr<uFCom_Bas::RecorderLink> recorder_;
    std::unique_ptr<uFConf::MyConf> conf_;
    std::unique_ptr<uFMsg::FixedFormList> fixedForm_;
    std::unique_ptr<uFMsg::GuideList> guideList_;
    std::unique_ptr<uFCom_Bas::ManualNotify> manualNotify_;
    std::unique_ptr<uFMsg::ScheduleFile> scheduleFile_;
    std::unique_ptr<uFCom_Bas::RequestServer> requests_;
    // Declared last: it goes first, while the members it points to live.
    std::unique_ptr<uFMon::GuideMonitor> monitor_;
};
