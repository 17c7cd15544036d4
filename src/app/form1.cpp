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

#include "platform/appicon.h"
#include "platform/fonts.h"
#include "config/myconf.h"
#include "dialogs/dtselect.h"
#include "dialogs/msgadjust.h"
#include "dialogs/msgbox.h"
#include "dialogs/version.h"
#include "headline/colors.h"
#include "headline/headline.h"
#include "messages/fixedform.h"
#include "messages/guidelist.h"
#include "messages/msgrules.h"
#include "monitor/guidemsg.h"
#include "monitor/monitor.h"
#include "platform/core/datetime.h"
#include "platform/core/display.h"
#include "platform/core/mailslot.h"
#include "platform/formkit.h"
#include "platform/listevents.h"
#include "platform/outbox.h"
#include "platform/ufcom.h"
#include "recorder/forced.h"
#include "recorder/keycatalog.h"
#include "recorder/recorder.h"

namespace {

std::function<void(int)> g_processEnd;

// Texts of the main window.
const QString kCloseTitle = QStringLiteral("終了確認");
const QString kCloseQuestion = QStringLiteral("を終了しますか？");
const QString kSlotFailHead = QStringLiteral("【");
const QString kSlotFailTail = QStringLiteral("】 が準備できません。終了します。");
const QString kWatchStopped = QStringLiteral("定周期監視は停止中です。");
const QString kCRLF = QStringLiteral("\r\n");
const QString kFileAccessNG = QStringLiteral("File Access NG");
const QString kFileAccessNGTail = QStringLiteral(" 設定Fileに書込できません。");
constexpr int kFileAccessNGColour = 15;

// How long the shutdown waits for a slow recorder to take what waits for it.
constexpr int kShutdownDrainMs = 2000;
// Title bar and borders of the window, which the layout counts in its
// height but Qt's window size leaves out.
constexpr int kNonClientHeightTw = 430;

void endProcessDefault(int status)
{
    platform::endProcess(status);
}

}  // namespace

void Form1::setProcessEndHandler(std::function<void(int)> handler)
{
    g_processEnd = std::move(handler);
}

Form1::Form1(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Form1"));
    uFCom_Bas::ScaleGet(this, unitsX_, unitsY_);
    setupControls();
    setupMenus();

    uFConf::MyConf::Binding b;
    b.confPath = []() { return uFCom_Bas::ConfPath(); };
    b.writeFailed = [this]() {
        uFHLabel_Bas::HeadMsgShow(this, saveFailureMode_, uFCom_Bas::ColorGet(kFileAccessNGColour),
                                  FormKeyMsgHead() + kFileAccessNG, kFileAccessNGTail);
    };
    b.formStyle = [this]() {
        uFCom_Bas::ProgEntry own;
        if (OwnProgIndex >= 0 && OwnProgIndex < static_cast<int>(Env.Progs.size())) own = Env.Progs[OwnProgIndex];
        const QString c = QStringLiteral(",");
        return own.StyleName + c + QString::number(own.FormTop) + c + QString::number(own.FormLeft) + c +
               QString::number(own.FormWidth) + c + QString::number(own.FormHeight) + c;
    };
    conf_ = std::make_unique<uFConf::MyConf>(std::move(b));
    // The head line's forwarding (modes 11 and 13) goes to the recorder.
    uFHLabel_Bas::SetForwarder([](const QString& text1, const QString& text2) { uFCom_Bas::RecorderSend(text1, text2); });

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
    fs.confirm = [this](const QString& title, const QString& question) { return uMsgBox_Show(this, 0, title, question); };
    fixedForm_ = std::make_unique<uFMsg::FixedFormList>(fc, &conf_->entries(), std::move(fs));
    wireLists();
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
    uFMsg::GuideList::Services gs;
    gs.head = [this]() { return FormKeyMsgHead(); };
    gs.keyMsg = keyMsg;
    gs.save = [this]() { return MyConfWriteCycle() == 0; };
    gs.selectDueTime = [this]() {
        DTSelect_Dialog dialog(this, {&meStrVLSelectKey, &meStrVLSelectVar, &meStrVLSelectYMD, FormKeyMsgHead()});
        dialog.exec();
    };
    gs.confirm = [this](const QString& title, const QString& question) { return uMsgBox_Show(this, 0, title, question); };
    guideList_ = std::make_unique<uFMsg::GuideList>(gc, &conf_->entries(), &conf_->schedule(), std::move(gs));

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
    uFMon::GuideMonitor::Services ms;
    ms.keyMsg = keyMsg;
    ms.saveWatch = [this]() { MyConfWriteWatch(); };
    monitor_ = std::make_unique<uFMon::GuideMonitor>(mc, uFMon::GuideMonitor::State{&conf_->watch(), &conf_->schedule(),
                                                                                    &meStrGuideMsg},
                                                     std::move(shared), std::move(ms));

    uFCom_Bas::ManualNotify::Controls nc{this, Text1, Text2, Dummy_Text};
    manualNotify_ = std::make_unique<uFCom_Bas::ManualNotify>(nc, uFCom_Bas::ManualNotify::Services{
                                                                      [this]() { return FormKeyMsgHead(); }, {}});
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

int Form1::px(int twips) const
{
    return uFCom_Bas::twipsToPixels(twips, unitsX_);
}

int Form1::pxY(int twips) const
{
    return uFCom_Bas::twipsToPixels(twips, unitsY_);
}

int Form1::windowWidthTw() const
{
    const QWidget* c = centralWidget();
    return (c ? c->width() : width()) * unitsX_;
}

int Form1::windowHeightTw() const
{
    return height() * unitsY_ + kNonClientHeightTw;
}

void Form1::setupControls()
{
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("Form1_Client"));
    setCentralWidget(client);
    client->resize(px(9540), pxY(6825));
    resize(px(9540), pxY(6825) + 20);

    const uFCom_Bas::FormKit kit(unitsX_, unitsY_);
    const QColor green = QColor(128, 255, 128);
    const QColor cyan = QColor(128, 255, 255);
    const QColor pink = QColor(255, 128, 255);
    const QColor blue = QColor(192, 192, 255);

    // Head row: message line, clock, history.  Dummy_Text lies under the
    // history drop-down; it only takes the keyboard focus.
    Dummy_Text = new QLineEdit(client);
    Dummy_Text->setObjectName(QStringLiteral("Dummy_Text"));
    kit.place(Dummy_Text, 0, 360, 1095, 270);
    Dummy_Text->setAccessibleName(QStringLiteral("ｳﾞｪﾙﾓﾗ"));
    Dummy_Label = kit.label(client, QStringLiteral("Dummy_Label"), QString(), 1200, 360, 1095, 255);
    Dummy_Label->setVisible(false);
    Head_Combo = new QComboBox(client);
    Head_Combo->setObjectName(QStringLiteral("Head_Combo"));
    kit.place(Head_Combo, 0, 360, 9375, 300);
    Head_Combo->setEditable(false);
    {
        QPalette pal = Head_Combo->palette();
        pal.setColor(QPalette::Base, pal.color(QPalette::Button));
        Head_Combo->setPalette(pal);
    }
    Head_Label[1] = kit.label(client, QStringLiteral("Head_Label_1"), QString(), 0, 0, 7815, 300);
    Head_Label[0] = kit.label(client, QStringLiteral("Head_Label_0"), QString(), 7800, 0, 1575, 300);
    for (QLabel* l : Head_Label) {
        l->setAutoFillBackground(true);
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        l->installEventFilter(this);
    }
    Head_Label[0]->setAlignment(Qt::AlignCenter);

    // Left half: message setting.
    Frame1 = kit.frame(client, QStringLiteral("Frame1"), QStringLiteral("ﾒｯｾｰｼﾞ設定"), 120, 720, 4455, 5895);
    Label1[0] = kit.label(Frame1, QStringLiteral("Label1_0"), QStringLiteral("固定ﾒｯｾｰｼﾞ"), 120, 240, 1095, 255);
    Label1[1] = kit.label(Frame1, QStringLiteral("Label1_1"), QStringLiteral("可変ﾒｯｾｰｼﾞ"), 120, 1320, 1095, 255);
    Text1 = kit.textBox(Frame1, QStringLiteral("Text1"), Label1[0]->text(), 120, 480, 4215, 735);
    Text2 = kit.textBox(Frame1, QStringLiteral("Text2"), Label1[1]->text(), 120, 1560, 4215, 735);
    Label1[0]->setBuddy(Text1);
    Label1[1]->setBuddy(Text2);
    Label2 = kit.label(Frame1, QStringLiteral("Label2"), QString(), 120, 2400, 4215, 1200);
    Label2->setFont(uFCom_Bas::pGothicFont(9, true));
    uFCom_Bas::setTextColour(Label2, QColor(0, 0, 255));
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label2->setWordWrap(true);
    Command2[0] = kit.button(Frame1, QStringLiteral("Command2_0"), QStringLiteral("定型登録"), 120, 3720, 1215, 255, green);
    Command2[1] = kit.button(Frame1, QStringLiteral("Command2_1"), QStringLiteral("定型削除"), 1440, 3720, 1215, 255, green);
    Command1 = kit.button(Frame1, QStringLiteral("Command1"), QStringLiteral("CV手動通知"), 3120, 3720, 1215, 255, pink);
    Frame3 = kit.frame(Frame1, QStringLiteral("Frame3"), QStringLiteral("定型部ﾒｯｾｰｼﾞ"), 120, 4080, 4215, 1575);
    List1 = kit.list(Frame3, QStringLiteral("List1"), Frame3->title(), 120, 240, 2775, 780);
    Command3[0] = kit.button(Frame3, QStringLiteral("Command3_0"), QStringLiteral("ｶﾞｲﾄﾞ部登録"), 3000, 240, 1095, 255, cyan);
    Command5[0] = kit.button(Frame3, QStringLiteral("Command5_0"), QStringLiteral("全て削除"), 3000, 720, 1095, 255, green);

    // Right half: guide section and the (hidden) monitor area.
    Frame2 = kit.frame(client, QStringLiteral("Frame2"), QStringLiteral("ｶﾞｲﾄﾞ部監視"), 4800, 720, 4575, 5895);
    Label4 = kit.label(Frame2, QStringLiteral("Label4"), QStringLiteral("定周期監視時間(Sec) [Max 1H]"), 120, 240, 3135, 255);
    Label3 = kit.label(Frame2, QStringLiteral("Label3"), QString(), 3240, 240, 975, 255);
    VScroll1 = new QScrollBar(Qt::Vertical, Frame2);
    VScroll1->setObjectName(QStringLiteral("VScroll1"));
    kit.place(VScroll1, 4200, 240, 255, 255);
    VScroll1->setRange(1, 3600);
    VScroll1->setSingleStep(1);
    VScroll1->setAccessibleName(Label4->text());
    Label5 = kit.label(Frame2, QStringLiteral("Label5"), QString(), 120, 600, 4335, 495);
    Label5->setFont(uFCom_Bas::gothicFont(9));
    Check1 = new QCheckBox(QStringLiteral("立上時監視開始"), Frame2);
    Check1->setObjectName(QStringLiteral("Check1"));
    kit.place(Check1, 120, 1200, 1695, 255);
    Command4[0] = kit.button(Frame2, QStringLiteral("Command4_0"), QStringLiteral("監視開始"), 1920, 1200, 1215, 255, blue);
    Command4[1] = kit.button(Frame2, QStringLiteral("Command4_1"), QStringLiteral("監視停止"), 3240, 1200, 1215, 255, blue);
    Label6 = kit.label(Frame2, QStringLiteral("Label6"), QString(), 120, 240, 975, 1215);
    Label6->setFont(uFCom_Bas::gothicFont(9, true));
    uFCom_Bas::setTextColour(Label6, QColor(0, 0, 255));
    Label6->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label6->setWordWrap(true);
    Text3 = kit.textBox(Frame2, QStringLiteral("Text3"), Frame2->title(), 120, 1560, 4335, 975);
    Text3->setReadOnly(true);
    Frame4 = kit.frame(Frame2, QStringLiteral("Frame4"), QStringLiteral("ｶﾞｲﾄﾞ部ﾒｯｾｰｼﾞ"), 120, 2640, 4335, 3015);
    List2 = kit.list(Frame4, QStringLiteral("List2"), Frame4->title(), 120, 240, 2895, 780);
    Command3[1] = kit.button(Frame4, QStringLiteral("Command3_1"), QStringLiteral("ｶﾞｲﾄﾞ部削除"), 3120, 240, 1095, 255, cyan);
    Command5[1] = kit.button(Frame4, QStringLiteral("Command5_1"), QStringLiteral("全て削除"), 3120, 720, 1095, 255, cyan);
    Head_Combo->setAccessibleName(QStringLiteral("ｳﾞｪﾙﾓﾗ"));

    // Timers.
    Timer1 = new uFCom_Bas::Timer(Frame2, QStringLiteral("Timer1"));
    Timer2 = new uFCom_Bas::Timer(Frame2, QStringLiteral("Timer2"));
    DateTimer = new uFCom_Bas::Timer(this, QStringLiteral("DateTimer"));
    HeadMsgTimer = new uFCom_Bas::Timer(this, QStringLiteral("HeadMsgTimer"));
    MailRecvTimer = new uFCom_Bas::Timer(this, QStringLiteral("MailRecvTimer"));
    connect(DateTimer, &uFCom_Bas::Timer::Tick, this, &Form1::DateTimer_Timer);
    connect(MailRecvTimer, &uFCom_Bas::Timer::Tick, this, &Form1::MailRecvTimer_Timer);
    connect(HeadMsgTimer, &uFCom_Bas::Timer::Tick, this, [this]() { uFHLabel_Bas::HeadMsgTimer_Tick(this); });
    connect(Head_Combo, QOverload<int>::of(&QComboBox::activated), this, [this](int) { Head_Combo_Click(); });
}

void Form1::setupMenus()
{
    menu = menuBar()->addMenu(QStringLiteral("VL ﾒﾆｭｰ(&M)"));
    menu->setObjectName(QStringLiteral("menu"));
    auto item = [](QMenu* m, const QString& name, const QString& text, bool visible) {
        QAction* a = text == QStringLiteral("-") ? m->addSeparator() : m->addAction(text);
        a->setObjectName(name);
        a->setVisible(visible);
        return a;
    };
    menu_adjust = item(menu, QStringLiteral("menu_adjust"), QStringLiteral("画面の位置調整"), true);
    menu_dummy0 = item(menu, QStringLiteral("menu_dummy0"), QStringLiteral("-"), true);
    menu_tomr = item(menu, QStringLiteral("menu_tomr"), QStringLiteral("ｳﾞｪﾙﾓﾗのﾒｯｾｰｼﾞ"), false);
    menu_dummy1 = item(menu, QStringLiteral("menu_dummy1"), QStringLiteral("-"), false);
    menu_explorer = item(menu, QStringLiteral("menu_explorer"), QStringLiteral("Explorer起動"), false);
    menu_dummy2 = item(menu, QStringLiteral("menu_dummy2"), QStringLiteral("-"), false);
    menu_end = item(menu, QStringLiteral("menu_end"), QStringLiteral("画面終了"), true);

    menu_help = menuBar()->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
    menu_help->setObjectName(QStringLiteral("menu_help"));
    menu_help_help = item(menu_help, QStringLiteral("menu_help_help"), QStringLiteral("ｳﾞｪﾙﾓﾗのﾍﾙﾌﾟ"), false);
    menu_help_dummy0 = item(menu_help, QStringLiteral("menu_help_dummy0"), QStringLiteral("-"), false);
    menu_help_ver = item(menu_help, QStringLiteral("menu_help_ver"), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"), true);

    sub1_menu = new QMenu(QStringLiteral("ｻﾌﾞﾒﾆｭｰ"), this);
    sub1_menu->setObjectName(QStringLiteral("sub1_menu"));
    sub1_menu_dsp = item(sub1_menu, QStringLiteral("sub1_menu_dsp"), QStringLiteral("表示"), true);
    sub1_menu_dummy0 = item(sub1_menu, QStringLiteral("sub1_menu_dummy0"), QStringLiteral("-"), true);
    sub1_menu_end = item(sub1_menu, QStringLiteral("sub1_menu_end"), QStringLiteral("終了"), true);
    sub1_menu_dummy1 = item(sub1_menu, QStringLiteral("sub1_menu_dummy1"), QStringLiteral("-"), true);
    sub1_menu_cansel = item(sub1_menu, QStringLiteral("sub1_menu_cansel"), QStringLiteral("ｷｬﾝｾﾙ"), true);

    connect(menu_end, &QAction::triggered, this, &Form1::menu_end_Click);
    connect(sub1_menu_end, &QAction::triggered, this, &Form1::sub1_menu_end_Click);
    connect(sub1_menu_dsp, &QAction::triggered, this, &Form1::sub1_menu_dsp_Click);
    connect(menu_tomr, &QAction::triggered, this, [this]() {
        if (keyCatalog_) keyCatalog_->exec();
    });
    connect(menu_explorer, &QAction::triggered, this, [this]() {
        uFCom_Bas::ExplorerOpen(this, Env.BasePath + QStringLiteral("\\"));
    });
    connect(menu_adjust, &QAction::triggered, this, &Form1::menu_adjust_Click);
    connect(menu_help_ver, &QAction::triggered, this, &Form1::menu_help_ver_Click);
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
    // 1. Environment copy, own slot, title.
    Env = uFCom_Bas::EnvGet();
    OwnProgIndex = uFCom_Bas::ProgIndexGet(uFCom_Bas::ExeBaseName());
    if (OwnProgIndex >= 0) meForm_StrTitle = Env.Progs[OwnProgIndex].Title;
    uMsgBox_SetMainWindow(this);

    // 2. Icon and caption of the start-up window.
    setWindowIcon(icon);
    setWindowTitle(caption);

    // 3. Clock: first tick at once.
    DateTimer->setInterval(1);
    DateTimer->setEnabled(true);

    // 4. Own mailslot; without it the program cannot be closed from outside.
    const QString exeName = OwnProgIndex >= 0 ? Env.Progs[OwnProgIndex].ExeName : uFCom_Bas::ExeBaseName();
    OwnSlotHandle = platform::mailslot::SlotCreate(exeName.toStdString(), 0);
    if (OwnSlotHandle < 0) {
        QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(),
                        SlotFailText(windowTitle()), QMessageBox::Ok);
        box.exec();
        Form_Unload();
        return false;
    }

    // 5. Receive timer; records the recorder cannot take at once are sent
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

    // 6. Placement.
    FormPlaceInit();

    // 7. Lists and settings.
    MyConfRead();

    // 8. Texts.
    FormTextSet();

    // 9. Status line, also to the recorder.
    uFHLabel_Bas::HeadMsgShow(this, 11, -1, FormKeyMsgHead() + uFMsg::StatusText(uFMsg::kLoaded), QString());

    // 10. The monitor starts with the window.
    if (watch().WatchAutoStart != 0) monitor_->MonitorStart();

    loaded_ = true;
    return true;
}

void Form1::FormPlaceInit()
{
    uFCom_Bas::ScaleGet(this, unitsX_, unitsY_);
    const int ux = unitsX_, uy = unitsY_;
    uFCom_Bas::ProgEntry own;
    if (OwnProgIndex >= 0 && OwnProgIndex < static_cast<int>(Env.Progs.size())) own = Env.Progs[OwnProgIndex];

    int width = own.FormWidth;
    if (width > ux) width = ux;
    if (width < 0) width = 9;
    int height = own.FormHeight;
    if (height > uy) height = uy;
    if (height < 0) height = 13;
    int top = own.FormTop;
    if (top < 0) top = 0;
    else if (top > uy - height) top = uy - height;
    int left = own.FormLeft;
    if (left < 0) left = 0;
    else if (left > ux - width) left = ux - width;

    uFCom_Bas::PlaceCalc(this, own.StyleName, top, left, width, height);
    const uFCom_Bas::PlaceRecord r = uFCom_Bas::PlaceGet();
    const int pw = uFCom_Bas::twipsToPixels(r.width, ux);
    const int ph = uFCom_Bas::twipsToPixels(r.height, uy);
    move(uFCom_Bas::twipsToPixels(r.left, ux), uFCom_Bas::twipsToPixels(r.top, uy));
    // The stored height is the outer one; Qt sizes the client part.
    resize(pw, qMax(1, ph - pxY(kNonClientHeightTw)));

    for (QLabel* l : Head_Label) l->clear();
    // The clock's designed width, or more where the font draws its digits
    // wider (the Windows font renderer with a fallback Gothic face).
    const QFontMetrics metrics(Head_Label[0]->font());
    const int textWidth = metrics.horizontalAdvance(QStringLiteral("0000/00/00 00:00:00")) +
                          2 * Head_Label[0]->frameWidth() + 4;
    const int clockWidth = qMax(2000, textWidth * unitsX_);
    Head_Label[0]->setGeometry(px(windowWidthTw() - 100 - clockWidth), 0, px(clockWidth), pxY(300));
    Head_Label[1]->setGeometry(0, 0, Head_Label[0]->x(), pxY(300));
    Dummy_Text->clear();
    Dummy_Text->move(0, Head_Label[1]->y() + Head_Label[1]->height() + pxY(60));
    Head_Combo->move(0, Head_Label[1]->y() + Head_Label[1]->height() + pxY(60));
    Dummy_Text->lower();

    const QString style = own.StyleName;
    if (style == QStringLiteral("MIN")) {
        setWindowState(Qt::WindowMinimized);
    } else if (style == QStringLiteral("MAX")) {
        setWindowState(Qt::WindowMaximized);
    } else {
        setWindowState(Qt::WindowNoState);
    }
}

void Form1::HeadRowLayout()
{
    const int clockWidthTw = Head_Label[0]->width() * unitsX_;
    const int clockLeftTw = windowWidthTw() - 100 - clockWidthTw;
    Head_Label[0]->move(px(clockLeftTw), Head_Label[0]->y());
    Head_Label[1]->resize(qMax(0, Head_Label[0]->x()), Head_Label[1]->height());
    const int comboWidthTw = windowWidthTw() - 100;
    if (comboWidthTw >= 0) Head_Combo->resize(px(comboWidthTw), Head_Combo->height());
    Dummy_Text->setFocus();
}

void Form1::FormLayout()
{
    // Works in twips; a size that comes out negative is skipped.
    auto tw = [this](int pixels) { return pixels * unitsX_; };
    auto twY = [this](int pixels) { return pixels * unitsY_; };
    const int B = twY(Head_Combo->y() + Head_Combo->height());
    const int W = tw(Head_Combo->width());
    const int H = windowHeightTw();

    auto setTop = [this](QWidget* w, int t) { w->move(w->x(), pxY(t)); };
    auto setLeft = [this](QWidget* w, int l) { w->move(px(l), w->y()); };
    auto setWidth = [this](QWidget* w, int v) {
        if (v >= 0) w->resize(px(v), w->height());
    };
    auto setHeight = [this](QWidget* w, int v) {
        if (v >= 0) w->resize(w->width(), pxY(v));
    };
    auto L = [&](QWidget* w) { return tw(w->x()); };
    auto T = [&](QWidget* w) { return twY(w->y()); };
    auto Wd = [&](QWidget* w) { return tw(w->width()); };
    auto Ht = [&](QWidget* w) { return twY(w->height()); };

    // 1. Left half.
    setTop(Frame1, B + 100 + 20);
    setWidth(Frame1, W / 2 - 200);
    setHeight(Frame1, H - B - 1000);
    // 2. Fixed-form frame and the inputs.
    setWidth(Frame3, Wd(Frame1) - L(Frame3) - 100);
    setHeight(Frame3, Ht(Frame1) - T(Frame3) - 200);
    setWidth(Text1, Wd(Frame3));
    setWidth(Text2, Wd(Frame3));
    setWidth(Label2, Wd(Text2));
    setLeft(Command1, L(Label2) + Wd(Label2) - Wd(Command1));
    // 3. Fixed-form list and its buttons.
    setWidth(List1, Wd(Frame3) - L(List1) - Wd(Command3[0]) - 200);
    setHeight(List1, Ht(Frame3) - T(List1) - 100);
    setLeft(Command3[0], L(List1) + Wd(List1) + 100);
    setLeft(Command5[0], L(Command3[0]));
    setTop(Command5[0], T(List1) + Ht(List1) - Ht(Command5[0]));
    // 4. Right half.
    setTop(Frame2, T(Frame1));
    setWidth(Frame2, Wd(Frame1));
    setHeight(Frame2, Ht(Frame1));
    setLeft(Frame2, L(Frame1) + Wd(Frame1) + 200);
    // 5. Guide frame as the fixed-form frame.
    setWidth(Frame4, Wd(Frame2) - L(Frame4) - 100);
    setHeight(Frame4, Ht(Frame2) - T(Frame4) - 200);
    setWidth(Label5, Wd(Frame4));
    setWidth(Text3, Wd(Frame4));
    setWidth(List2, Wd(Frame4) - L(List2) - Wd(Command3[1]) - 200);
    setHeight(List2, Ht(Frame4) - T(List2) - 100);
    setLeft(Command3[1], L(List2) + Wd(List2) + 100);
    setLeft(Command5[1], L(Command3[1]));
    setTop(Command5[1], T(List2) + Ht(List2) - Ht(Command5[1]));
    setWidth(Label6, Wd(Label5));
    setHeight(Label6, T(Command4[0]) + Ht(Command4[0]) - 200);
}

void Form1::FormTextSet()
{
    FormLayout();

    const QString limit = QString::number(uFMsg::MsgLenMax);
    const QString items = QString::number(uFMsg::ListItemMax);
    uFCom_Bas::setTip(Text1, QStringLiteral("固定ﾒｯｾｰｼﾞの文字数は最大") + limit + QStringLiteral("文字です。"));
    uFCom_Bas::setTip(Text2, QStringLiteral("可変ﾒｯｾｰｼﾞの文字数は最大") + limit + QStringLiteral("文字です。"));
    Text1->clear();
    Text2->clear();

    Label2->setText(QStringLiteral("*注)") + kCRLF + QStringLiteral("定型部へは固定ﾒｯｾｰｼﾞのみの登録となります。") + kCRLF +
                    QStringLiteral("ｶﾞｲﾄﾞ部へは固定、可変ﾒｯｾｰｼﾞの登録となります。") + kCRLF + kCRLF +
                    QStringLiteral("ｺｰｳﾞｪｲﾝがないと") + QStringLiteral("ｺｰｳﾞｪｲﾝの機能は") + QStringLiteral("使用できません。"));

    uFCom_Bas::setTip(List1, QStringLiteral("定型部ﾒｯｾｰｼﾞの最大登録数は[") + items + QStringLiteral("]です。"));
    uFCom_Bas::setTip(Command1, QStringLiteral("入力されたﾒｯｾｰｼﾞをｺｰｳﾞｪｲﾝへ強制通知します。"));
    uFCom_Bas::setTip(Command2[0], QStringLiteral("入力されたﾒｯｾｰｼﾞを定型部へ登録します。"));
    uFCom_Bas::setTip(Command2[1], QStringLiteral("選択された定型ﾒｯｾｰｼﾞを削除します。"));
    uFCom_Bas::setTip(Command5[0], QStringLiteral("定型部ﾒｯｾｰｼﾞを全て削除します。"));
    uFCom_Bas::setTip(Command5[1], QStringLiteral("ｶﾞｲﾄﾞ部ﾒｯｾｰｼﾞを全て削除します。"));
    uFCom_Bas::setTip(Command3[0], QStringLiteral("選択された定型ﾒｯｾｰｼﾞをｶﾞｲﾄﾞ部へ登録します。"));
    uFCom_Bas::setTip(Command3[1], QStringLiteral("選択されたｶﾞｲﾄﾞ部ﾒｯｾｰｼﾞを削除します。"));

    VScroll1->setValue(watch().WatchSeconds);
    Label3->setText(QString::number(VScroll1->value()));
    Label5->setText(kWatchStopped);
    uFCom_Bas::setTextColour(Label5, uFCom_Bas::colorFromValue(uFCom_Bas::ColorGet(10)));
    Text3->clear();
    uFCom_Bas::setTip(Text3, QStringLiteral("入力は出来ません。ｶﾞｲﾄﾞ部ﾒｯｾｰｼﾞの選択で表示されます。"));
    uFCom_Bas::setTip(List2, QStringLiteral("ｶﾞｲﾄﾞ部ﾒｯｾｰｼﾞの最大登録数は[") + items + QStringLiteral("]です。"));

    const bool panel = watch().WatchPanelShow != 0;
    Label6->setText(QStringLiteral("登録されているｶﾞｲﾄﾞ部ﾒｯｾｰｼﾞより") + kCRLF +
                    QStringLiteral("指定日時にｶﾞｲﾄﾞﾒｯｾｰｼﾞの表示を行います。") + kCRLF + kCRLF +
                    QStringLiteral("経過した日時のﾒｯｾｰｼﾞは削除されます。") + kCRLF +
                    QStringLiteral("また表示時、ｺｰｳﾞｪｲﾝへの通知も行います。") + QStringLiteral("(但し、ｺｰｳﾞｪｲﾝがある時のみ)"));
    Label6->setVisible(!panel);
    for (QWidget* w : {static_cast<QWidget*>(Label4), static_cast<QWidget*>(Label3), static_cast<QWidget*>(VScroll1),
                       static_cast<QWidget*>(Label5), static_cast<QWidget*>(Check1), static_cast<QWidget*>(Command4[0]),
                       static_cast<QWidget*>(Command4[1])})
        w->setVisible(panel);

    VScroll1->setEnabled(true);
    Command4[0]->setEnabled(true);
    Command4[1]->setEnabled(false);
    uFCom_Bas::setCheckedQuietly(Check1, watch().WatchAutoStart != 0);
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
    uFCom_Bas::ProgEntry own;
    if (OwnProgIndex >= 0 && OwnProgIndex < static_cast<int>(Env.Progs.size())) own = Env.Progs[OwnProgIndex];
    MsgAdjust_Dialog dialog(this, own, {[this](const QString& value) { return conf_->MyConfWriteFormStyle(value) == 0; }});
    // A failed write is also forwarded to the recorder.
    saveFailureMode_ = uFHLabel_Bas::kModeShowSend;
    dialog.exec();
    saveFailureMode_ = uFHLabel_Bas::kModeShow;
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
    if (event->type() == QEvent::MouseButtonPress &&
        (watched == Head_Label[0] || watched == Head_Label[1])) {
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
    const uFCom_Bas::PlaceRecord r = uFCom_Bas::PlaceGet();
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
    conf_->MyConfRead();
    uFMsg::ListShow(List1, conf_->entries());
    uFMsg::ListShow(List2, conf_->schedule());
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
    if (index == 0) fixedForm_->Register();
    else if (index == 1) fixedForm_->Delete();
}

void Form1::Command3_Click(int index)
{
    if (index == 0) guideList_->Register();
    else if (index == 1) guideList_->Delete();
}

void Form1::Command4_Click(int index)
{
    if (index == 0) monitor_->MonitorStart();
    else if (index == 1) monitor_->MonitorStop();
}

void Form1::Command5_Click(int index)
{
    if (index == 0) fixedForm_->DeleteAll();
    else if (index == 1) guideList_->DeleteAll();
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

    // 1. The monitor stops while it runs; 2. the pop-up goes.
    if (!Command4[0]->isEnabled()) monitor_->MonitorStop();
    monitor_->PopupUnload();

    // 3. Monitor countdown off.
    Timer1->setEnabled(false);
    Timer1->setInterval(0);
    Timer1->Tag.clear();
    Timer2->setEnabled(false);

    // 4. The guide list.  Not when the window never got as far as loading
    // its lists: an empty list written now would wipe the stored schedule.
    // A failure must be seen: forwarded with the shutdown lines, on standard
    // error, and in the exit status.
    int exitStatus = 0;
    saveFailureMode_ = uFHLabel_Bas::kModeShowSend;
    if (listsLoaded_ && MyConfWriteCycle() != 0) {
        exitStatus = 1;
        const QString path =
            QFileInfo(QString(uFCom_Bas::ConfPath()).replace(QLatin1Char('\\'), QLatin1Char('/'))).absoluteFilePath();
        std::fprintf(stderr, "uPVelmora: the schedule was not saved to %s: %s\n", path.toLocal8Bit().constData(),
                     conf_->lastError().toLocal8Bit().constData());
    }

    // 5. Status line, forwarded while the recorder's handle is still open.
    uFHLabel_Bas::HeadMsgShow(this, 11, -1, FormKeyMsgHead() + uFMsg::StatusText(uFMsg::kUnloaded), QString());

    // 6. The catalogue goes with the window.
    if (keyCatalog_) {
        keyCatalog_->setUnloading(true);
        keyCatalog_->close();
    }

    // 7. Own timers off before the handles go.
    DateTimer->setEnabled(false);
    DateTimer->setInterval(0);
    MailRecvTimer->setEnabled(false);
    MailRecvTimer->setInterval(0);
    if (slotReady_) slotReady_->setEnabled(false);
    HeadMsgTimer->setEnabled(false);

    // 8. Icon.
    if (TrayShown == 1) {
        uFCom_Bas::TrayIconDelete(this, windowIcon());
        TrayShown = 0;
    }

    // 9, 10. Handles, once what waits for a slow recorder has gone out (or
    // the wait is over): the UnLoad line above is among it.
    platform::mailslot::SlotDrain(kShutdownDrainMs);
    uFCom_Bas::RecorderClose();
    delete slotReady_;
    slotReady_ = nullptr;
    if (OwnSlotHandle >= 0) platform::mailslot::HandleClose(OwnSlotHandle);
    OwnSlotHandle = -1;

    // 11, 12. The process ends.
    if (g_processEnd) {
        g_processEnd(exitStatus);
    } else {
        endProcessDefault(exitStatus);
    }
}
