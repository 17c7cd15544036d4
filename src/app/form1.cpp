#include "app/form1.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <cstdio>

#include "core/datetime.h"
#include "core/display.h"
#include "core/mailslot.h"
#include "core/seam.h"
#include "gui/dialogs/msgadjust.h"
#include "gui/dialogs/holidayset.h"
#include "gui/dialogs/msgbox.h"
#include "gui/dialogs/repeatset.h"
#include "gui/dialogs/version.h"
#include "gui/headline/colors.h"
#include "gui/headline/headline.h"
#include "gui/messages/fixedform.h"
#include "gui/messages/guidelist.h"
#include "gui/messages/msgrules.h"
#include "gui/messages/schedulefile.h"
#include "gui/monitor/guidemsg.h"
#include "gui/monitor/monitor.h"
#include "gui/platform/formkit.h"
#include "gui/platform/listevents.h"
#include "gui/platform/timer.h"
#include "gui/platform/ufcom.h"
#include "gui/recorder/forced.h"
#include "gui/recorder/keycatalog.h"
#include "gui/recorder/ownslot.h"
#include "gui/recorder/requests.h"
#include "model/recorder/recorder.h"

namespace {

using uFHLabel_Bas::HeadMode;

// Texts of the main window.
const QString kCloseTitle = QStringLiteral("終了確認");
const QString kCloseQuestion = QStringLiteral("を終了しますか？");
const QString kSlotFailHead = QStringLiteral("【");
const QString kSlotFailTail = QStringLiteral("】 が準備できません。終了します。");
using uFMsg::kFileAccessNG;
using uFMsg::kFileAccessNGTail;
constexpr int kFileAccessNGColour = uFCom_Bas::kColourLightRed;
const QString kDroppedHead = QStringLiteral("起動前に経過したｶﾞｲﾄﾞ部ﾒｯｾｰｼﾞ ");
const QString kDroppedTail = QStringLiteral(" 件を削除しました。");
constexpr int kDroppedColour = uFCom_Bas::kColourLightRed;

// How long the shutdown waits for a slow recorder to take what waits for it.
constexpr int kShutdownDrainMs = 2000;

void sayEach(const char* what, const QStringList& items)
{
    for (const QString& item : items) std::fprintf(stderr, "uPVelmora: %s: %s\n", what, item.toLocal8Bit().constData());
    if (!items.isEmpty()) std::fflush(stderr);
}

}  // namespace

Form1::Form1(const uFCom_Bas::EnvRecord& env, QWidget* parent) : QMainWindow(parent), Env(env)
{
    setObjectName(QStringLiteral("Form1"));
    uFCom_Bas::ScaleGet(this, unitsX_, unitsY_);
    setupUi();

    // The recorder of the program table: the head line's forwarding, the
    // monitor and the manual notification reach it through this one link.
    recorder_ = std::make_unique<uFCom_Bas::RecorderLink>(Env);
    headLine_ =
        new uFHLabel_Bas::HeadLine(this, {Head_Label[1], Head_Combo, Dummy_Label, HeadMsgTimer}, recorder_.get());
    uFConf::MyConf::Binding b;
    b.confPath = [this]() { return uFCom_Bas::ConfPath(Env); };
    b.writeFailed = [this]() {
        uFHLabel_Bas::HeadMsgShow(this, saveFailureSent_ ? HeadMode::ShowSend : HeadMode::Show,
                                  uFCom_Bas::ColorGet(kFileAccessNGColour), FormKeyMsgHead() + kFileAccessNG,
                                  kFileAccessNGTail);
    };
    b.formStyle = [this]() { return uFCom_Bas::FormStyleValue(Own); };
    conf_ = std::make_unique<uFConf::MyConf>(std::move(b));
    ownSlot_ = new uFCom_Bas::OwnSlot(this, MailRecvTimer);
    connect(ownSlot_, &uFCom_Bas::OwnSlot::closeCommand, this, &Form1::Form_Unload);
    wireWindow();
    wireParts();
}

void Form1::wireWindow()
{
    connect(DateTimer, &uFCom_Bas::Timer::Tick, this, &Form1::DateTimer_Timer);
    connect(Head_Combo, QOverload<int>::of(&QComboBox::activated), this, [this](int) { Dummy_Text->setFocus(); });
    connect(menu_end, &QAction::triggered, this, &Form1::menu_end_Click);
    connect(sub1_menu_end, &QAction::triggered, this, &Form1::menu_end_Click);
    connect(sub1_menu_dsp, &QAction::triggered, this, &Form1::sub1_menu_dsp_Click);
    connect(menu_tomr, &QAction::triggered, this, [this]() {
        if (keyCatalog_) keyCatalog_->exec();
    });
    connect(menu_explorer, &QAction::triggered, this,
            [this]() { uFCom_Bas::ExplorerOpen(this, Env.BasePath + QStringLiteral("\\")); });
    connect(menu_adjust, &QAction::triggered, this, &Form1::menu_adjust_Click);
    connect(menu_repeat, &QAction::triggered, this, [this]() {
        RepeatSet_Dialog dialog(this, &conf_->schedule(), FormKeyMsgHead());
        dialog.exec();
    });
    connect(menu_holiday, &QAction::triggered, this, [this]() {
        Holiday_Dialog dialog(this, &conf_->schedule(), FormKeyMsgHead());
        dialog.exec();
    });
    connect(menu_export, &QAction::triggered, this, [this]() { scheduleFile_->Export(); });
    connect(menu_import, &QAction::triggered, this, [this]() { scheduleFile_->Import(); });
    connect(menu_help_ver, &QAction::triggered, this, [this]() {
        Ver_Dialog dialog(this);
        dialog.exec();
    });
}

void Form1::wireParts()
{
    auto head = [this]() { return FormKeyMsgHead(); };
    auto keyMsg = [this](int key) { return statusText(key); };

    fixedForm_ = std::make_unique<uFMsg::FixedFormList>(
        uFMsg::FixedFormList::Controls{this, Text1, Text2, List1, Dummy_Text}, &conf_->entries(),
        uFMsg::FixedFormList::Services{head, keyMsg, [this]() { return conf_->MyConfWriteEntry() == 0; }});
    guideList_ = std::make_unique<uFMsg::GuideList>(
        uFMsg::GuideList::Controls{this, Text1, Text2, Text3, List1, List2, Dummy_Text}, &conf_->entries(),
        &conf_->schedule(), uFMsg::GuideList::Services{head, keyMsg});

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
    GuideMsg_Dialog::Shared popup;
    popup.Form_AutoGuide = [this]() { return Form_AutoGuide(); };
    popup.Form_MyConfWriteAutoGuide = [this](int& value) { Form_MyConfWriteAutoGuide(value); };
    popup.icon = [this]() { return windowIcon(); };
    popup.mainWindow = this;
    uFMon::GuideMonitor::Services ms;
    ms.keyMsg = keyMsg;
    ms.saveWatch = [this]() { conf_->MyConfWriteWatch(); };
    ms.recorder = recorder_.get();
    monitor_ = std::make_unique<uFMon::GuideMonitor>(
        mc, uFMon::GuideMonitor::State{&conf_->watch(), &conf_->schedule()}, std::move(popup), std::move(ms));

    scheduleFile_ = std::make_unique<uFMsg::ScheduleFile>(this, conf_.get(), head);
    // Requests of other programs arrive on the own slot, one per record.
    requests_ = std::make_unique<uFCom_Bas::RequestServer>(this, conf_.get(), uFCom_Bas::ExeBaseName(),
                                                           uFCom_Bas::RequestServer::Services{head, keyMsg});
    connect(ownSlot_, &uFCom_Bas::OwnSlot::record, this, [this](const QByteArray& r) { requests_->handle(r); });

    manualNotify_ =
        std::make_unique<uFCom_Bas::ManualNotify>(uFCom_Bas::ManualNotify::Controls{this, Text1, Text2, Dummy_Text},
                                                  uFCom_Bas::ManualNotify::Services{head, recorder_.get()});

    connect(Command1, &QPushButton::clicked, this, [this]() { manualNotify_->Command1_Click(); });
    connect(Command2[0], &QPushButton::clicked, this, [this]() { fixedForm_->Register(); });
    connect(Command2[1], &QPushButton::clicked, this, [this]() { fixedForm_->Delete(); });
    connect(Command5[0], &QPushButton::clicked, this, [this]() { fixedForm_->DeleteAll(); });
    connect(Command3[0], &QPushButton::clicked, this, [this]() { guideList_->Register(); });
    connect(Command3[1], &QPushButton::clicked, this, [this]() { guideList_->Delete(); });
    connect(Command5[1], &QPushButton::clicked, this, [this]() { guideList_->DeleteAll(); });
    connect(Command4[0], &QPushButton::clicked, this, [this]() { monitor_->MonitorStart(); });
    connect(Command4[1], &QPushButton::clicked, this, [this]() { monitor_->MonitorStop(); });
    auto* list1 = new uFCom_Bas::ListEvents(List1);
    connect(list1, &uFCom_Bas::ListEvents::Click, this, [this]() { fixedForm_->Pick(); });
    connect(list1, &uFCom_Bas::ListEvents::MouseDown, this, [this](int button) { fixedForm_->Reset(button); });
    auto* list2 = new uFCom_Bas::ListEvents(List2);
    connect(list2, &uFCom_Bas::ListEvents::Click, this, [this]() { guideList_->Details(); });
    connect(list2, &uFCom_Bas::ListEvents::MouseDown, this, [this](int button) { guideList_->Reset(button); });
    connect(Timer1, &uFCom_Bas::Timer::Tick, this, [this]() { monitor_->CountdownTick(); });
    connect(Timer2, &uFCom_Bas::Timer::Tick, this, [this]() { monitor_->DueCheck(); });
    uFCom_Bas::onClick(Check1, [this]() { monitor_->Check1_Click(); });
    connect(VScroll1, &QScrollBar::valueChanged, this, [this]() { monitor_->VScroll1_Change(); });
}

GuideMsg_Dialog* Form1::guidePopup() const
{
    return monitor_ ? monitor_->popup() : nullptr;
}

Form1::~Form1()
{
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
    // A refusal says why, on standard error too, and ends with status 1.
    if (!ownSlot_->create(Own.ExeName.isEmpty() ? uFCom_Bas::ExeBaseName() : Own.ExeName)) {
        endStatus_ = 1;
        QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), SlotFailText(windowTitle()),
                        QMessageBox::Ok);
        box.exec();
        Form_Unload();
        return false;
    }

    FormPlaceInit();
    MyConfRead();
    FormTextSet();
    monitor_->SettingsShow();

    // Status line, also to the recorder.
    uFHLabel_Bas::HeadMsgShow(this, HeadMode::ShowSend, uFHLabel_Bas::kDesignedColour,
                              FormKeyMsgHead() + uFMsg::StatusText(uFMsg::kLoaded), QString());
    // A file this run cannot write fails every save: said at once on
    // standard error, and on the head line first when the start's own lines
    // are done (shown, not forwarded: only a failed save goes there).
    const uFConf::WriteResult writable = uFConf::ConfWriteCheck(uFCom_Bas::ConfPath(Env));
    if (writable != 0) {
        std::fprintf(stderr, "uPVelmora: the configuration file cannot be written: %s\n",
                     writable.why.toLocal8Bit().constData());
        std::fflush(stderr);
        headLine_->showNext(HeadMode::Show, uFCom_Bas::ColorGet(kFileAccessNGColour), FormKeyMsgHead() + kFileAccessNG,
                            kFileAccessNGTail);
    }
    LoadOutcomeShow(writable == 0);

    // The monitor starts with the window.
    if (conf_->watch().WatchAutoStart != 0) monitor_->MonitorStart();

    loaded_ = true;
    return true;
}

void Form1::LoadOutcomeShow(bool canSave)
{
    // The entries whose minute passed while the program was not running
    // are gone from the list: the operator and the recorder are told how
    // many, standard error which (the file as found stays in the backup).
    const QStringList& dropped = conf_->droppedAtLoad();
    const uFMsg::LoadOutcome& load = conf_->loadOutcome();
    sayEach("dropped at load, its minute had passed", dropped);
    sayEach("removed at load, put in by a rule beyond its next occurrence", load.pruned);
    sayEach("a repeat rule not understood (or repeated) is left out and goes at the next save", load.refusedRules);
    // What the load put in or took out is saved at once (where the file
    // cannot be written, that was said, and the shutdown tries again).
    if (canSave && load.changed()) conf_->MyConfWriteCycle();
    // Its lines come when the start's own lines are done, each for its
    // time; the recorder has the count at once, after the load line.
    if (!dropped.isEmpty()) {
        const QString line = FormKeyMsgHead() + kDroppedHead + QString::number(dropped.size()) + kDroppedTail;
        headLine_->show(HeadMode::SendOnly, uFHLabel_Bas::kDesignedColour, line, QString());
        headLine_->showNext(HeadMode::Show, uFCom_Bas::ColorGet(kDroppedColour), line, QString());
    }
    if (load.waiting > 0)
        headLine_->showNext(HeadMode::Show, uFCom_Bas::ColorGet(uFMsg::kStatusColour), statusText(uFMsg::kCycleFull),
                            QString());
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

int Form1::CloseConfirm()
{
    return uMsgBox_Show(this, 0, kCloseTitle, FormKeyMsgHead() + kCloseQuestion);
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
    e->ignore();
    if (CloseConfirm() < 0) return;
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
                                saveFailureSent_ = true;
                                const bool ok = conf_->MyConfWriteFormStyle(value) == 0;
                                saveFailureSent_ = false;
                                return ok;
                            }});
    dialog.exec();
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

void Form1::Form_MouseMove(Qt::MouseButtons buttons)
{
    if (isMinimized() && (buttons & Qt::RightButton)) sub1_menu->popup(QCursor::pos());
}

void Form1::trayRightClicked()
{
    Form_MouseMove(Qt::RightButton);
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
    uFMsg::ListFollow(List2, conf_->schedule().entries());
    conf_->MyConfRead();
    listsLoaded_ = true;
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

int Form1::Form_MyConfWriteAutoGuide(int& arg_LngAutoGuide)
{
    if (arg_LngAutoGuide != conf_->watch().WatchAutoGuide) {
        conf_->watch().WatchAutoGuide = arg_LngAutoGuide;
        conf_->MyConfWriteWatch();
    }
    return 0;
}

void Form1::Form_Unload()
{
    if (unloading_) return;
    unloading_ = true;

    // The monitor stops while it runs; the pop-up goes.
    if (monitor_->running()) monitor_->MonitorStop();
    monitor_->PopupUnload();

    // The guide list, and every part an earlier save could not bring to
    // disk.  Not when the window never got as far as loading its lists: an
    // empty list written now would wipe the stored schedule.  A failure
    // must be seen: forwarded with the shutdown lines, on standard error,
    // and in the exit status.
    int exitStatus = endStatus_;
    saveFailureSent_ = true;
    if (listsLoaded_) {
        if (const uFConf::WriteResult saved = conf_->MyConfWriteCycle(); saved != 0) {
            exitStatus = 1;
            const QString path = QFileInfo(uFCom_Bas::forwardSlashes(uFCom_Bas::ConfPath(Env))).absoluteFilePath();
            std::fprintf(stderr, "uPVelmora: the schedule was not saved to %s: %s (not on disk: %s)\n",
                         path.toLocal8Bit().constData(), saved.why.toLocal8Bit().constData(),
                         conf_->unsavedParts().join(QStringLiteral(", ")).toLocal8Bit().constData());
        }
    }

    // Status line, forwarded while the recorder's handle is still open.
    uFHLabel_Bas::HeadMsgShow(this, HeadMode::ShowSend, uFHLabel_Bas::kDesignedColour,
                              FormKeyMsgHead() + uFMsg::StatusText(uFMsg::kUnloaded), QString());

    // The catalogue goes with the window.
    if (keyCatalog_) {
        keyCatalog_->setUnloading(true);
        keyCatalog_->close();
    }

    // Own timers off before the handles go.
    DateTimer->setEnabled(false);
    DateTimer->setInterval(0);
    HeadMsgTimer->setEnabled(false);

    // Icon.
    if (TrayShown == 1) {
        uFCom_Bas::TrayIconDelete(this, windowIcon());
        TrayShown = 0;
    }

    // The handles, once what waits for a slow recorder has gone out (or
    // the wait is over): the UnLoad line above is among it.
    ownSlot_->close();
    platform::mailslot::SlotDrain(kShutdownDrainMs);
    recorder_->close();

    // The process ends.
    seam::current<platform::ProcessEnd>().end(exitStatus);
}
