#include "app/form1.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "gui/platform/appicon.h"
#include "gui/platform/fonts.h"
#include "model/config/myconf.h"
#include "gui/dialogs/dtselect.h"
#include "gui/dialogs/msgadjust.h"
#include "gui/dialogs/msgbox.h"
#include "gui/dialogs/version.h"
#include "gui/headline/colors.h"
#include "gui/headline/headline.h"
#include "gui/messages/fixedform.h"
#include "gui/messages/guidelist.h"
#include "gui/messages/msgrules.h"
#include "gui/monitor/guidemsg.h"
#include "gui/monitor/monitor.h"
#include "core/datetime.h"
#include "core/display.h"
#include "core/mailslot.h"
#include "core/seam.h"
#include "gui/platform/formkit.h"
#include "gui/platform/listevents.h"
#include "gui/platform/outbox.h"
#include "gui/platform/ufcom.h"
#include "gui/recorder/forced.h"
#include "gui/recorder/keycatalog.h"
#include "model/recorder/recorder.h"

namespace {

// Texts of the main window.
const QString kCloseTitle = QStringLiteral("終了確認");
const QString kCloseQuestion = QStringLiteral("を終了しますか？");
const QString kSlotFailHead = QStringLiteral("【");
const QString kSlotFailTail = QStringLiteral("】 が準備できません。終了します。");
const QString kFileAccessNG = QStringLiteral("File Access NG");
const QString kFileAccessNGTail = QStringLiteral(" 設定Fileに書込できません。");
constexpr int kFileAccessNGColour = uFCom_Bas::kColourLightRed;
const QString kDroppedHead = QStringLiteral("起動前に経過したｶﾞｲﾄﾞ部ﾒｯｾｰｼﾞ ");
const QString kDroppedTail = QStringLiteral(" 件を削除しました。");
constexpr int kDroppedColour = uFCom_Bas::kColourLightRed;

// How long the shutdown waits for a slow recorder to take what waits for it.
constexpr int kShutdownDrainMs = 2000;

}  // namespace

Form1::Form1(const uFCom_Bas::EnvRecord& env, QWidget* parent) : QMainWindow(parent), Env(env)
{
    setObjectName(QStringLiteral("Form1"));
    uFCom_Bas::ScaleGet(this, unitsX_, unitsY_);
    setupControls();
    setupMenus();
    wireWindow();

    uFConf::MyConf::Binding b;
    b.confPath = [this]() { return uFCom_Bas::ConfPath(Env); };
    b.writeFailed = [this]() {
        uFHLabel_Bas::HeadMsgShow(this, saveFailureMode_, uFCom_Bas::ColorGet(kFileAccessNGColour),
                                  FormKeyMsgHead() + kFileAccessNG, kFileAccessNGTail);
    };
    b.formStyle = [this]() { return uFCom_Bas::FormStyleValue(Own); };
    conf_ = std::make_unique<uFConf::MyConf>(std::move(b));
    // The recorder of the program table; the head line's forwarding (modes
    // 11 and 13) goes to it.
    recorder_ = std::make_unique<uFCom_Bas::RecorderLink>(Env);
    uFHLabel_Bas::SetForwarder(this,
                               [this](const QString& text1, const QString& text2) { recorder_->send(text1, text2); });

    uFMsg::FixedFormList::Controls fc;
    fc.form = this;
    fc.Text1 = Text1;
    fc.Text2 = Text2;
    fc.List1 = List1;
    fc.Dummy_Text = Dummy_Text;
    uFMsg::FixedFormList::Services fs;
    fs.head = [this]() { return FormKeyMsgHead(); };
    fs.keyMsg = [this](int key) { return statusText(key); };
    fs.save = [this]() { return MyConfWriteEntry() == 0; };
    fs.confirm = [this](const QString& title, const QString& question) {
        return uMsgBox_Show(this, 0, title, question);
    };
    fixedForm_ = std::make_unique<uFMsg::FixedFormList>(fc, &conf_->entries(), std::move(fs));
    wireLists();
}

void Form1::wireWindow()
{
    connect(DateTimer, &uFCom_Bas::Timer::Tick, this, &Form1::DateTimer_Timer);
    connect(MailRecvTimer, &uFCom_Bas::Timer::Tick, this, &Form1::MailRecvTimer_Timer);
    connect(HeadMsgTimer, &uFCom_Bas::Timer::Tick, this, [this]() { uFHLabel_Bas::HeadMsgTimer_Tick(this); });
    connect(Head_Combo, QOverload<int>::of(&QComboBox::activated), this, [this](int) { Head_Combo_Click(); });

    connect(menu_end, &QAction::triggered, this, &Form1::menu_end_Click);
    connect(sub1_menu_end, &QAction::triggered, this, &Form1::sub1_menu_end_Click);
    connect(sub1_menu_dsp, &QAction::triggered, this, &Form1::sub1_menu_dsp_Click);
    connect(menu_tomr, &QAction::triggered, this, [this]() {
        if (keyCatalog_) keyCatalog_->exec();
    });
    connect(menu_explorer, &QAction::triggered, this,
            [this]() { uFCom_Bas::ExplorerOpen(this, Env.BasePath + QStringLiteral("\\")); });
    connect(menu_adjust, &QAction::triggered, this, &Form1::menu_adjust_Click);
    connect(menu_help_ver, &QAction::triggered, this, &Form1::menu_help_ver_Click);
}

void Form1::wireLists()
{
    auto keyMsg = [this](int key) { return statusText(key); };

    uFMsg::GuideList::Controls gc;
    gc.form = this;
    gc.Text1 = Text1;
    gc.Text2 = Text2;
    gc.Text3 = Text3;
    gc.List1 = List1;
    gc.List2 = List2;
    gc.Dummy_Text = Dummy_Text;
    gc.meStrVLSelectKey = &meStrVLSelectKey;
    gc.meStrVLSelectVar = &meStrVLSelectVar;
    gc.meStrVLSelectYMD = &meStrVLSelectYMD;
    gc.meStrVLSelectRepeat = &meStrVLSelectRepeat;
    uFMsg::GuideList::Services gs;
    gs.head = [this]() { return FormKeyMsgHead(); };
    gs.keyMsg = keyMsg;
    gs.save = [this]() { return MyConfWriteCycle() == 0; };
    gs.selectDueTime = [this]() {
        DTSelect_Dialog dialog(
            this, {&meStrVLSelectKey, &meStrVLSelectVar, &meStrVLSelectYMD, FormKeyMsgHead(), &meStrVLSelectRepeat});
        dialog.exec();
    };
    gs.confirm = [this](const QString& title, const QString& question) {
        return uMsgBox_Show(this, 0, title, question);
    };
    guideList_ =
        std::make_unique<uFMsg::GuideList>(gc, &conf_->entries(), &conf_->schedule(), &conf_->repeats(), std::move(gs));

    uFMon::GuideMonitor::Controls mc;
    mc.form = this;
    mc.List2 = List2;
    mc.Text3 = Text3;
    mc.Dummy_Text = Dummy_Text;
    mc.Label5 = Label5;
    mc.Label3 = Label3;
    mc.VScroll1 = VScroll1;
    mc.Check1 = Check1;
    mc.Command3 = Command3;
    mc.Command5_1 = Command5[1];
    mc.Command4 = Command4;
    mc.Timer1 = Timer1;
    mc.Timer2 = Timer2;
    GuideMsg_Dialog::Shared shared;
    shared.meLngGuideMsgDialogTop = &meLngGuideMsgDialogTop;
    shared.meLngGuideMsgDialogLeft = &meLngGuideMsgDialogLeft;
    shared.meLngGuideMsgDialogLoad = &meLngGuideMsgDialogLoad;
    shared.Form_AutoGuide = [this]() { return Form_AutoGuide(); };
    shared.Form_MyConfWriteAutoGuide = [this](int& value) { Form_MyConfWriteAutoGuide(value); };
    shared.icon = [this]() { return windowIcon(); };
    shared.mainWindow = this;
    uFMon::GuideMonitor::Services ms;
    ms.keyMsg = keyMsg;
    ms.saveWatch = [this]() { MyConfWriteWatch(); };
    ms.saveSchedule = [this]() { MyConfWriteCycle(); };
    ms.recorder = recorder_.get();
    monitor_ = std::make_unique<uFMon::GuideMonitor>(
        mc, uFMon::GuideMonitor::State{&conf_->watch(), &conf_->schedule(), &meStrGuideMsg, &conf_->repeats()},
        std::move(shared), std::move(ms));

    uFCom_Bas::ManualNotify::Controls nc{this, Text1, Text2, Dummy_Text};
    manualNotify_ = std::make_unique<uFCom_Bas::ManualNotify>(
        nc, uFCom_Bas::ManualNotify::Services{[this]() { return FormKeyMsgHead(); }, recorder_.get()});
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);

    for (int i = 0; i < 2; ++i) {
        connect(Command2[i], &QPushButton::clicked, this, [this, i]() { Command2_Click(i); });
        connect(Command3[i], &QPushButton::clicked, this, [this, i]() { Command3_Click(i); });
        connect(Command4[i], &QPushButton::clicked, this, [this, i]() { Command4_Click(i); });
        connect(Command5[i], &QPushButton::clicked, this, [this, i]() { Command5_Click(i); });
    }
    auto* list1 = new uFCom_Bas::ListEvents(List1);
    connect(list1, &uFCom_Bas::ListEvents::Click, this, &Form1::List1_Click);
    connect(list1, &uFCom_Bas::ListEvents::MouseDown, this, &Form1::List1_MouseDown);
    auto* list2 = new uFCom_Bas::ListEvents(List2);
    connect(list2, &uFCom_Bas::ListEvents::Click, this, &Form1::List2_Click);
    connect(list2, &uFCom_Bas::ListEvents::MouseDown, this, &Form1::List2_MouseDown);
    connect(Timer1, &uFCom_Bas::Timer::Tick, this, &Form1::Timer1_Timer);
    connect(Timer2, &uFCom_Bas::Timer::Tick, this, &Form1::Timer2_Timer);
    uFCom_Bas::onClick(Check1, [this]() { Check1_Click(); });
    connect(VScroll1, &QScrollBar::valueChanged, this, &Form1::VScroll1_Change);
}

GuideMsg_Dialog* Form1::guidePopup() const
{
    return monitor_ ? monitor_->popup() : nullptr;
}

Form1::~Form1()
{
    delete slotReady_;
    slotReady_ = nullptr;
    if (OwnSlotHandle >= 0) platform::mailslot::HandleClose(OwnSlotHandle);
    if (TrayShown == 1) uFCom_Bas::TrayIconDelete(this, windowIcon());
}

QString Form1::SlotFailText(const QString& caption)
{
    return kSlotFailHead + caption + kSlotFailTail;
}

QString Form1::FormKeyMsgHead() const
{
    return QStringLiteral("[") + meForm_StrTitle + QStringLiteral("]");
}

bool Form1::Form_Load(const QString& caption, const QIcon& icon)
{
    // Own slot, title.
    Own = uFCom_Bas::OwnEntry(Env).value_or(uFCom_Bas::ProgEntry{});
    meForm_StrTitle = Own.Title;

    // Icon and caption of the start-up window.
    setWindowIcon(icon);
    setWindowTitle(caption);

    // Clock: first tick at once.
    DateTimer->setInterval(1);
    DateTimer->setEnabled(true);

    // Own mailslot; without it the program cannot be closed from outside.
    const QString exeName = Own.ExeName.isEmpty() ? uFCom_Bas::ExeBaseName() : Own.ExeName;
    OwnSlotHandle = platform::mailslot::SlotCreate(exeName.toStdString(), 0);
    if (OwnSlotHandle < 0) {
        // A refusal says why, on standard error too, and ends with status 1.
        const std::string why = platform::mailslot::SlotCreateProblem();
        std::fprintf(stderr, "uPVelmora: the program's own mailslot cannot be made: %s\n",
                     why.empty() ? "no reason given" : why.c_str());
        std::fflush(stderr);
        endStatus_ = 1;
        QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), SlotFailText(windowTitle()),
                        QMessageBox::Ok);
        box.exec();
        Form_Unload();
        return false;
    }

    // Receive timer; records the recorder cannot take at once are sent
    // from the event loop when it has room.
    uFCom_Bas::OutboxInstall();
    // Where the slot's handle can be waited on, the timer sleeps while the
    // slot is empty; elsewhere (Windows) it polls every 20 ms.
    if (platform::mailslot::SlotWaitable()) {
        slotReady_ = new QSocketNotifier(OwnSlotHandle, QSocketNotifier::Read, this);
        slotReady_->setEnabled(false);
        connect(slotReady_, &QSocketNotifier::activated, this, &Form1::OwnSlotReady);
    }
    MailRecvTimer->setInterval(1);
    MailRecvTimer->setEnabled(true);

    // Placement.
    FormPlaceInit();

    // Lists and settings.
    MyConfRead();

    // Texts, and the monitor's settings as loaded.
    FormTextSet();
    monitor_->SettingsShow();

    // Status line, also to the recorder.
    uFHLabel_Bas::HeadMsgShow(this, uFHLabel_Bas::kModeShowSend, uFHLabel_Bas::kDesignedColour,
                              FormKeyMsgHead() + uFMsg::StatusText(uFMsg::kLoaded), QString());
    LoadOutcomeShow();

    // The monitor starts with the window.
    if (watch().WatchAutoStart != 0) monitor_->MonitorStart();

    // A file this run cannot write fails every save: said at once on
    // standard error, and on the head line after the start-up's last line.
    if (const uFConf::WriteResult w = uFConf::ConfWriteCheck(uFCom_Bas::ConfPath(Env)); w != 0) {
        std::fprintf(stderr, "uPVelmora: the configuration file cannot be written: %s\n",
                     w.why.toLocal8Bit().constData());
        const auto show = [this]() {
            uFHLabel_Bas::HeadMsgShow(this, uFHLabel_Bas::kModeShow, uFCom_Bas::ColorGet(kFileAccessNGColour),
                                      FormKeyMsgHead() + kFileAccessNG, kFileAccessNGTail);
        };
        QMetaObject::invokeMethod(this, show, Qt::QueuedConnection);
    }

    loaded_ = true;
    return true;
}

void Form1::LoadOutcomeShow()
{
    // The entries whose minute passed while the program was not running
    // are gone from the list: the operator and the recorder are told how
    // many, standard error which (the file as found stays in the backup).
    const QStringList& dropped = conf_->droppedAtLoad();
    for (const QString& entry : dropped)
        std::fprintf(stderr, "uPVelmora: dropped at load, its minute had passed: %s\n",
                     entry.toLocal8Bit().constData());
    if (!dropped.isEmpty()) {
        std::fflush(stderr);
        uFHLabel_Bas::HeadMsgShow(this, uFHLabel_Bas::kModeShowSend, uFCom_Bas::ColorGet(kDroppedColour),
                                  FormKeyMsgHead() + kDroppedHead + QString::number(dropped.size()) + kDroppedTail,
                                  QString());
    }
    // The rules' next occurrences put in at the load are saved at once.
    const uFMsg::RepeatRules::Outcome& placed = conf_->placedAtLoad();
    if (placed.added > 0) MyConfWriteCycle();
    if (placed.full > 0) uFMsg::StatusShow(this, statusText(uFMsg::kCycleFull));
}

void Form1::DateTimer_Timer()
{
    if (DateTimer->Interval() < 1000) DateTimer->setInterval(1000);
    std::string display;
    platform::LocalTime reading;
    platform::DateTimeText(display, reading);
    const QString shown = QString::fromStdString(display.substr(0, 19));
    Head_Label[0]->setText(shown);
    // A screen reader reads the time shown.
    Head_Label[0]->setAccessibleName(shown);
    // The next tick falls just after the next full second.
    DateTimer->restartIn(uFCom_Bas::msToNextSecond(reading.millisecond));
}

void Form1::MailRecvTimer_Timer()
{
    MailRecvTimer->setEnabled(false);
    MailRecvTimer->setInterval(0);
    char buffer[platform::mailslot::kMaxMessage];
    std::memset(buffer, 0, sizeof buffer);
    // Everything that is not a record (another user's, empty, oversized,
    // shorter than the code word) goes at once, so that a flood of it never
    // keeps the close command out of the slot's short queue.
    const int n = platform::mailslot::SlotTakeRecord(OwnSlotHandle, platform::mailslot::kMaxMessage, buffer);
    if (n >= 4) {
        if (uFCom_Bas::isCloseCommand(QByteArray(buffer, n))) {
            Form_Unload();
            return;
        }
    } else if (n == platform::mailslot::kTakeDropped) {
        // Still flooded: go on with the rest after the event loop had its turn.
        MailRecvTimer->setInterval(1);
        MailRecvTimer->setEnabled(true);
        return;
    } else if (slotReady_) {
        // Nothing waiting: sleep until a datagram arrives instead of polling,
        // then read again at once.  While records keep coming they are acted
        // on one per tick, 20 ms apart.
        slotReady_->setEnabled(true);
        return;
    }
    MailRecvTimer->setInterval(20);
    MailRecvTimer->setEnabled(true);
}

void Form1::OwnSlotReady()
{
    if (slotReady_) slotReady_->setEnabled(false);
    if (unloading_) return;
    MailRecvTimer->setInterval(1);
    MailRecvTimer->setEnabled(true);
}

QString Form1::CloseConfirmText() const
{
    return FormKeyMsgHead() + kCloseQuestion;
}

int Form1::CloseConfirm()
{
    return uMsgBox_Show(this, 0, kCloseTitle, CloseConfirmText());
}

void Form1::closeEvent(QCloseEvent* e)
{
    if (unloading_) {
        e->accept();
        return;
    }
    Form_QueryUnload(e);
}

void Form1::Form_QueryUnload(QCloseEvent* e)
{
    if (isMinimized() || TrayShown == 1) {
        if (TrayShown == 1) uFCom_Bas::TrayIconDelete(this, windowIcon());
        setWindowState(Qt::WindowNoState);
        TrayShown = 0;
        show();
    }
    if (CloseConfirm() < 0) {
        e->ignore();
        return;
    }
    e->ignore();
    Form_Unload();
}

void Form1::menu_end_Click()
{
    if (CloseConfirm() < 0) return;
    Form_Unload();
}

void Form1::menu_adjust_Click()
{
    // 適用's own failed save is also forwarded to the recorder; any other
    // save made while the dialog is open (the pop-up's 自動確認 behind it)
    // is only shown.
    MsgAdjust_Dialog dialog(this, Own, {[this](const QString& value) {
                                saveFailureMode_ = uFHLabel_Bas::kModeShowSend;
                                const bool ok = conf_->MyConfWriteFormStyle(value) == 0;
                                saveFailureMode_ = uFHLabel_Bas::kModeShow;
                                return ok;
                            }});
    dialog.exec();
}

void Form1::menu_help_ver_Click()
{
    Ver_Dialog dialog(this);
    dialog.exec();
}

void Form1::Command1_Click()
{
    manualNotify_->Command1_Click();
}

void Form1::sub1_menu_end_Click()
{
    menu_end_Click();
}

void Form1::sub1_menu_dsp_Click()
{
    if (uFCom_Bas::TrayIconDelete(this, windowIcon()) != 0) return;
    setWindowState(Qt::WindowNoState);
    TrayShown = 0;
    show();
    raise();
    activateWindow();
}

void Form1::Head_Combo_Click()
{
    Dummy_Text->setFocus();
}

void Form1::Form_MouseMove(Qt::MouseButtons buttons)
{
    if (isMinimized() && (buttons & Qt::RightButton)) showSubMenuAtCursor();
}

void Form1::trayRightClicked()
{
    Form_MouseMove(Qt::RightButton);
}

void Form1::showSubMenuAtCursor()
{
    sub1_menu->popup(QCursor::pos());
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress && (watched == Head_Label[0] || watched == Head_Label[1])) {
        auto* me = static_cast<QMouseEvent*>(event);
        Form_MouseMove(me->buttons());
    }
    return QMainWindow::eventFilter(watched, event);
}

void Form1::resizeEvent(QResizeEvent* e)
{
    QMainWindow::resizeEvent(e);
    if (loaded_) Form_Resize();
}

void Form1::changeEvent(QEvent* e)
{
    QMainWindow::changeEvent(e);
    if (e->type() == QEvent::WindowStateChange && loaded_) Form_Resize();
}

void Form1::Form_Resize()
{
    if (!isMinimized()) {
        HeadRowLayout();
        FormLayout();
        return;
    }
    if (TrayShown == 1) return;
    const uFCom_Bas::PlaceRecord r = uFCom_Bas::PlaceGet(this);
    if (r.areaBottom > 600 && uFCom_Bas::TrayIconAdd(this, windowIcon(), windowTitle()) == 0) {
        TrayShown = 1;
        // Hidden after the state change has been handled by the window system.
        QTimer::singleShot(0, this, [this]() {
            if (TrayShown == 1) hide();
        });
    }
}

void Form1::MyConfRead()
{
    // The list widgets follow their collections from the read on.
    uFMsg::ListFollow(List1, conf_->entries());
    uFMsg::ListFollow(List2, conf_->schedule());
    conf_->MyConfRead();
    listsLoaded_ = true;
}

uFConf::WatchSettings& Form1::watch()
{
    return conf_->watch();
}

int Form1::Form_AutoGuide() const
{
    return conf_->watch().WatchAutoGuide;
}

QString Form1::statusText(int key) const
{
    if (keyCatalog_) return keyCatalog_->KeyMsgGet(key);
    const QString text = uFMsg::StatusText(key);
    return text.isEmpty() ? QString() : FormKeyMsgHead() + text;
}

int Form1::MyConfWriteWatch()
{
    return conf_->MyConfWriteWatch();
}

int Form1::MyConfWriteEntry()
{
    return conf_->MyConfWriteEntry();
}

int Form1::MyConfWriteCycle()
{
    return conf_->MyConfWriteCycle();
}

int Form1::Form_MyConfWriteAutoGuide(int& arg_LngAutoGuide)
{
    if (arg_LngAutoGuide != watch().WatchAutoGuide) {
        watch().WatchAutoGuide = arg_LngAutoGuide;
        MyConfWriteWatch();
    }
    return 0;
}

void Form1::Command2_Click(int index)
{
    if (index == 0)
        fixedForm_->Register();
    else if (index == 1)
        fixedForm_->Delete();
}

void Form1::Command3_Click(int index)
{
    if (index == 0)
        guideList_->Register();
    else if (index == 1)
        guideList_->Delete();
}

void Form1::Command4_Click(int index)
{
    if (index == 0)
        monitor_->MonitorStart();
    else if (index == 1)
        monitor_->MonitorStop();
}

void Form1::Command5_Click(int index)
{
    if (index == 0)
        fixedForm_->DeleteAll();
    else if (index == 1)
        guideList_->DeleteAll();
}

void Form1::List2_Click()
{
    guideList_->Details();
}

void Form1::List2_MouseDown(int button)
{
    guideList_->Reset(button);
}

void Form1::Timer1_Timer()
{
    monitor_->CountdownTick();
}

void Form1::Timer2_Timer()
{
    monitor_->DueCheck();
}

void Form1::Check1_Click()
{
    monitor_->Check1_Click();
}

void Form1::VScroll1_Change()
{
    monitor_->VScroll1_Change();
}

void Form1::List1_Click()
{
    fixedForm_->Pick();
}

void Form1::List1_MouseDown(int button)
{
    fixedForm_->Reset(button);
}

void Form1::Form_Unload()
{
    if (unloading_) return;
    unloading_ = true;

    // The monitor stops while it runs; the pop-up goes.
    if (!Command4[0]->isEnabled()) monitor_->MonitorStop();
    monitor_->PopupUnload();

    // Monitor countdown off.
    Timer1->setEnabled(false);
    Timer1->setInterval(0);
    Timer1->Tag.clear();
    Timer2->setEnabled(false);

    // The guide list, and every part an earlier save could not bring to
    // disk.  Not when the window never got as far as loading its lists: an
    // empty list written now would wipe the stored schedule.  A failure
    // must be seen: forwarded with the shutdown lines, on standard error,
    // and in the exit status.
    int exitStatus = endStatus_;
    saveFailureMode_ = uFHLabel_Bas::kModeShowSend;
    if (listsLoaded_ && MyConfWriteCycle() != 0) {
        exitStatus = 1;
        const QString path = QFileInfo(uFCom_Bas::forwardSlashes(uFCom_Bas::ConfPath(Env))).absoluteFilePath();
        std::fprintf(stderr, "uPVelmora: the schedule was not saved to %s: %s (not on disk: %s)\n",
                     path.toLocal8Bit().constData(), conf_->lastError().toLocal8Bit().constData(),
                     conf_->unsavedParts().join(QStringLiteral(", ")).toLocal8Bit().constData());
    }

    // Status line, forwarded while the recorder's handle is still open.
    uFHLabel_Bas::HeadMsgShow(this, uFHLabel_Bas::kModeShowSend, uFHLabel_Bas::kDesignedColour,
                              FormKeyMsgHead() + uFMsg::StatusText(uFMsg::kUnloaded), QString());

    // The catalogue goes with the window.
    if (keyCatalog_) {
        keyCatalog_->setUnloading(true);
        keyCatalog_->close();
    }

    // Own timers off before the handles go.
    DateTimer->setEnabled(false);
    DateTimer->setInterval(0);
    MailRecvTimer->setEnabled(false);
    MailRecvTimer->setInterval(0);
    if (slotReady_) slotReady_->setEnabled(false);
    HeadMsgTimer->setEnabled(false);

    // Icon.
    if (TrayShown == 1) {
        uFCom_Bas::TrayIconDelete(this, windowIcon());
        TrayShown = 0;
    }

    // The handles, once what waits for a slow recorder has gone out (or
    // the wait is over): the UnLoad line above is among it.
    platform::mailslot::SlotDrain(kShutdownDrainMs);
    recorder_->close();
    delete slotReady_;
    slotReady_ = nullptr;
    if (OwnSlotHandle >= 0) platform::mailslot::HandleClose(OwnSlotHandle);
    OwnSlotHandle = -1;

    // The process ends.
    seam::current<platform::ProcessEnd>().end(exitStatus);
}
