#pragma once
// The main window: head line with clock and history, the message setting
// half (fixed-form list) and the guide half (guide list, monitor area).
#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>

#include "model/config/env.h"
#include "model/config/myconf.h"
#include "gui/headline/headline.h"
#include "gui/platform/timer.h"

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
class QSocketNotifier;
class CVMsgKey_Dialog;
class GuideMsg_Dialog;
namespace uFMsg {
class FixedFormList;
class GuideList;
}  // namespace uFMsg
namespace uFMon {
class GuideMonitor;
}
namespace uFCom_Bas {
class ManualNotify;
class RecorderLink;
}  // namespace uFCom_Bas

class Form1 : public QMainWindow {
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
    QString CloseConfirmText() const;
    int CloseConfirm();

    void FormPlaceInit();
    void FormTextSet();
    void HeadRowLayout();
    void FormLayout();

    // Public members.
    QString meForm_StrTitle;
    // Handed to the date/time dialog and back.
    QString meStrVLSelectKey;
    QString meStrVLSelectVar;
    QString meStrVLSelectYMD;
    QString meStrVLSelectRepeat;
    // Shared with the guide pop-up.
    QString meStrGuideMsg;
    int meLngGuideMsgDialogTop = 0;
    int meLngGuideMsgDialogLeft = 0;
    int meLngGuideMsgDialogLoad = 0;

    // Controls (names are the object names).
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

    // Menus.
    QMenu* menu = nullptr;
    QAction* menu_adjust = nullptr;
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

    // State.
    uFCom_Bas::EnvRecord Env;
    // This program's entry of the table, taken once at load (empty when the
    // table does not list it).
    uFCom_Bas::ProgEntry Own;
    int OwnSlotHandle = -1;
    int TrayShown = 0;
    bool unloading() const { return unloading_; }

    // Twips of the window's layout to pixels of its screen.
    int px(int twips) const;
    int pxY(int twips) const;

    // The outer window size in twips as the layout rules count it.
    int windowWidthTw() const;
    int windowHeightTw() const;

    // The configuration file (settings and both lists).
    void MyConfRead();
    // What the load did to the guide list, said after the load line.
    void LoadOutcomeShow();
    int MyConfWriteWatch();
    int MyConfWriteEntry();
    int MyConfWriteCycle();
    int Form_AutoGuide() const;
    // The configuration as the run keeps it: the settings, both lists and
    // their counts.
    uFConf::MyConf& conf() { return *conf_; }
    uFConf::WatchSettings& watch();
    int Form_MyConfWriteAutoGuide(int& arg_LngAutoGuide);
    // True once the lists were loaded from the file.
    bool listsLoaded() const { return listsLoaded_; }

    // Handlers.
    void Command1_Click();
    void Command2_Click(int index);
    void Command3_Click(int index);
    void Command4_Click(int index);
    void Command5_Click(int index);
    void List1_Click();
    void List1_MouseDown(int button);
    void List2_Click();
    void List2_MouseDown(int button);
    void Timer1_Timer();
    void Timer2_Timer();
    void Check1_Click();
    void VScroll1_Change();
    void DateTimer_Timer();
    void MailRecvTimer_Timer();
    void menu_end_Click();
    void menu_adjust_Click();
    void menu_help_ver_Click();
    void sub1_menu_end_Click();
    void sub1_menu_dsp_Click();
    void Head_Combo_Click();
    // A right button on the notification-area icon or the head label while
    // the window is minimised opens the icon menu.
    void Form_MouseMove(Qt::MouseButtons buttons);

    // The link to the recorder, which the window's parts send through.
    uFCom_Bas::RecorderLink& recorder() const { return *recorder_; }
    // The guide monitor, and its pop-up while it is loaded (else null).
    uFMon::GuideMonitor* monitor() const { return monitor_.get(); }
    GuideMsg_Dialog* guidePopup() const;
    // The catalogue loaded at start-up (may be null): the status lines come
    // from it.
    void setKeyCatalog(CVMsgKey_Dialog* dialog) { keyCatalog_ = dialog; }

public slots:
    void trayRightClicked();

protected:
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setupControls();
    void setupMenus();
    // Connects the window's own controls, timers and menus to its handlers.
    void wireWindow();
    void Form_Resize();
    void Form_QueryUnload(QCloseEvent* e);
    void showSubMenuAtCursor();
    // A numbered status line, prefix included: the catalogue's, else the
    // table's.
    QString statusText(int key) const;

    int unitsX_ = 15;
    int unitsY_ = 15;
    bool loaded_ = false;
    bool unloading_ = false;
    bool confirmedClose_ = false;
    // Mode of the head line for a failed save: shown, and at shutdown also
    // forwarded to the recorder.
    int saveFailureMode_ = uFHLabel_Bas::kModeShow;
    // The exit status a refusal at load has set (the save at shutdown may
    // still make it 1).
    int endStatus_ = 0;
    CVMsgKey_Dialog* keyCatalog_ = nullptr;
    bool listsLoaded_ = false;
    // Wakes the receive timer when a datagram arrives on the own mailslot.
    QSocketNotifier* slotReady_ = nullptr;
    void OwnSlotReady();
    std::unique_ptr<uFCom_Bas::RecorderLink> recorder_;
    std::unique_ptr<uFConf::MyConf> conf_;
    std::unique_ptr<uFMsg::FixedFormList> fixedForm_;
    std::unique_ptr<uFMsg::GuideList> guideList_;
    std::unique_ptr<uFCom_Bas::ManualNotify> manualNotify_;
    // Declared last: it goes first, while the members it points to live.
    std::unique_ptr<uFMon::GuideMonitor> monitor_;
    void wireLists();
};
