// The main window's controls at their designed places (twips), its menus,
// its placement on the desktop and the layout that follows its size, and the
// texts the controls start with.
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>

#include "app/form1.h"
#include "model/messages/entries.h"
#include "gui/platform/fonts.h"
#include "gui/platform/formkit.h"
#include "gui/platform/kanalabel.h"
#include "gui/platform/timer.h"
#include "gui/platform/ufcom.h"
#include "model/recorder/recorder.h"

namespace {

using uFCom_Bas::kCRLF;
// Title bar and borders of the window, which the layout counts in its
// height but Qt's window size leaves out.
constexpr int kNonClientHeightTw = 430;

}  // namespace

void Form1::setupUi()
{
    setupControls();
    setupMenus();
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
    Command2[0] =
        kit.button(Frame1, QStringLiteral("Command2_0"), QStringLiteral("定型登録"), 120, 3720, 1215, 255, green);
    Command2[1] =
        kit.button(Frame1, QStringLiteral("Command2_1"), QStringLiteral("定型削除"), 1440, 3720, 1215, 255, green);
    Command1 =
        kit.button(Frame1, QStringLiteral("Command1"), QStringLiteral("CV手動通知"), 3120, 3720, 1215, 255, pink);
    Frame3 = kit.frame(Frame1, QStringLiteral("Frame3"), QStringLiteral("定型部ﾒｯｾｰｼﾞ"), 120, 4080, 4215, 1575);
    List1 = kit.list(Frame3, QStringLiteral("List1"), Frame3->title(), 120, 240, 2775, 780);
    Command3[0] =
        kit.button(Frame3, QStringLiteral("Command3_0"), QStringLiteral("ｶﾞｲﾄﾞ部登録"), 3000, 240, 1095, 255, cyan);
    Command5[0] =
        kit.button(Frame3, QStringLiteral("Command5_0"), QStringLiteral("全て削除"), 3000, 720, 1095, 255, green);

    // Right half: guide section and the (hidden) monitor area.
    Frame2 = kit.frame(client, QStringLiteral("Frame2"), QStringLiteral("ｶﾞｲﾄﾞ部監視"), 4800, 720, 4575, 5895);
    Label4 = kit.label(Frame2, QStringLiteral("Label4"), QStringLiteral("定周期監視時間(Sec) [Max 1H]"), 120, 240, 3135,
                       255);
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
    Command4[0] =
        kit.button(Frame2, QStringLiteral("Command4_0"), QStringLiteral("監視開始"), 1920, 1200, 1215, 255, blue);
    Command4[1] =
        kit.button(Frame2, QStringLiteral("Command4_1"), QStringLiteral("監視停止"), 3240, 1200, 1215, 255, blue);
    // Its last line names the recorder, which must not be split.
    Label6 = new uFCom_Bas::KanaWordLabel(Frame2);
    Label6->setObjectName(QStringLiteral("Label6"));
    kit.place(Label6, 120, 240, 975, 1215);
    Label6->setFont(uFCom_Bas::gothicFont(9, true));
    uFCom_Bas::setTextColour(Label6, QColor(0, 0, 255));
    Label6->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label6->setWordWrap(true);
    Text3 = kit.textBox(Frame2, QStringLiteral("Text3"), Frame2->title(), 120, 1560, 4335, 975);
    Text3->setReadOnly(true);
    Frame4 = kit.frame(Frame2, QStringLiteral("Frame4"), QStringLiteral("ｶﾞｲﾄﾞ部ﾒｯｾｰｼﾞ"), 120, 2640, 4335, 3015);
    List2 = kit.list(Frame4, QStringLiteral("List2"), Frame4->title(), 120, 240, 2895, 780);
    Command3[1] =
        kit.button(Frame4, QStringLiteral("Command3_1"), QStringLiteral("ｶﾞｲﾄﾞ部削除"), 3120, 240, 1095, 255, cyan);
    Command5[1] =
        kit.button(Frame4, QStringLiteral("Command5_1"), QStringLiteral("全て削除"), 3120, 720, 1095, 255, cyan);
    Head_Combo->setAccessibleName(QStringLiteral("ｳﾞｪﾙﾓﾗ"));

    // Timers.
    Timer1 = new uFCom_Bas::Timer(Frame2, QStringLiteral("Timer1"));
    Timer2 = new uFCom_Bas::Timer(Frame2, QStringLiteral("Timer2"));
    DateTimer = new uFCom_Bas::Timer(this, QStringLiteral("DateTimer"));
    HeadMsgTimer = new uFCom_Bas::Timer(this, QStringLiteral("HeadMsgTimer"));
    MailRecvTimer = new uFCom_Bas::Timer(this, QStringLiteral("MailRecvTimer"));
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
    menu_repeat = item(menu, QStringLiteral("menu_repeat"), QStringLiteral("繰り返し設定..."), true);
    menu_holiday = item(menu, QStringLiteral("menu_holiday"), QStringLiteral("休日設定..."), true);
    menu_export = item(menu, QStringLiteral("menu_export"), QStringLiteral("ｽｹｼﾞｭｰﾙのｴｸｽﾎﾟｰﾄ..."), true);
    menu_import = item(menu, QStringLiteral("menu_import"), QStringLiteral("ｽｹｼﾞｭｰﾙのｲﾝﾎﾟｰﾄ..."), true);
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
}

void Form1::FormPlaceInit()
{
    uFCom_Bas::ScaleGet(this, unitsX_, unitsY_);
    const int ux = unitsX_, uy = unitsY_;

    int width = Own.FormWidth;
    if (width > ux) width = ux;
    if (width < 0) width = 9;
    int height = Own.FormHeight;
    if (height > uy) height = uy;
    if (height < 0) height = 13;
    int top = Own.FormTop;
    if (top < 0)
        top = 0;
    else if (top > uy - height)
        top = uy - height;
    int left = Own.FormLeft;
    if (left < 0)
        left = 0;
    else if (left > ux - width)
        left = ux - width;

    uFCom_Bas::PlaceCalc(this, Own.StyleName, top, left, width, height);
    const uFCom_Bas::PlaceRecord r = uFCom_Bas::PlaceGet(this);
    const int pw = uFCom_Bas::twipsToPixels(r.width, ux);
    const int ph = uFCom_Bas::twipsToPixels(r.height, uy);
    move(uFCom_Bas::twipsToPixels(r.left, ux), uFCom_Bas::twipsToPixels(r.top, uy));
    // The stored height is the outer one; Qt sizes the client part.
    resize(pw, qMax(1, ph - pxY(kNonClientHeightTw)));

    for (QLabel* l : Head_Label) l->clear();
    // The clock's designed width, or more where the font draws its digits
    // wider (the Windows font renderer with a fallback Gothic face).
    const QFontMetrics metrics(Head_Label[0]->font());
    const int textWidth =
        metrics.horizontalAdvance(QStringLiteral("0000/00/00 00:00:00")) + 2 * Head_Label[0]->frameWidth() + 4;
    const int clockWidth = qMax(2000, textWidth * unitsX_);
    Head_Label[0]->setGeometry(px(windowWidthTw() - 100 - clockWidth), 0, px(clockWidth), pxY(300));
    Head_Label[1]->setGeometry(0, 0, Head_Label[0]->x(), pxY(300));
    Dummy_Text->clear();
    Dummy_Text->move(0, Head_Label[1]->y() + Head_Label[1]->height() + pxY(60));
    Head_Combo->move(0, Head_Label[1]->y() + Head_Label[1]->height() + pxY(60));
    Dummy_Text->lower();

    const QString style = Own.StyleName;
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

    // Left half.
    setTop(Frame1, B + 100 + 20);
    setWidth(Frame1, W / 2 - 200);
    setHeight(Frame1, H - B - 1000);
    // Fixed-form frame and the inputs.
    setWidth(Frame3, Wd(Frame1) - L(Frame3) - 100);
    setHeight(Frame3, Ht(Frame1) - T(Frame3) - 200);
    setWidth(Text1, Wd(Frame3));
    setWidth(Text2, Wd(Frame3));
    setWidth(Label2, Wd(Text2));
    setLeft(Command1, L(Label2) + Wd(Label2) - Wd(Command1));
    // Fixed-form list and its buttons.
    setWidth(List1, Wd(Frame3) - L(List1) - Wd(Command3[0]) - 200);
    setHeight(List1, Ht(Frame3) - T(List1) - 100);
    setLeft(Command3[0], L(List1) + Wd(List1) + 100);
    setLeft(Command5[0], L(Command3[0]));
    setTop(Command5[0], T(List1) + Ht(List1) - Ht(Command5[0]));
    // Right half.
    setTop(Frame2, T(Frame1));
    setWidth(Frame2, Wd(Frame1));
    setHeight(Frame2, Ht(Frame1));
    setLeft(Frame2, L(Frame1) + Wd(Frame1) + 200);
    // Guide frame as the fixed-form frame.
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

    Label2->setText(QStringLiteral("*注)") + kCRLF + QStringLiteral("定型部へは固定ﾒｯｾｰｼﾞのみの登録となります。") +
                    kCRLF + QStringLiteral("ｶﾞｲﾄﾞ部へは固定、可変ﾒｯｾｰｼﾞの登録となります。") + kCRLF + kCRLF +
                    uFCom_Bas::kWithoutRecorderNote);

    uFCom_Bas::setTip(List1, QStringLiteral("定型部ﾒｯｾｰｼﾞの最大登録数は[") + items + QStringLiteral("]です。"));
    uFCom_Bas::setTip(Command1, QStringLiteral("入力されたﾒｯｾｰｼﾞをｺｰｳﾞｪｲﾝへ強制通知します。"));
    uFCom_Bas::setTip(Command2[0], QStringLiteral("入力されたﾒｯｾｰｼﾞを定型部へ登録します。"));
    uFCom_Bas::setTip(Command2[1], QStringLiteral("選択された定型ﾒｯｾｰｼﾞを削除します。"));
    uFCom_Bas::setTip(Command5[0], QStringLiteral("定型部ﾒｯｾｰｼﾞを全て削除します。"));
    uFCom_Bas::setTip(Command5[1], QStringLiteral("ｶﾞｲﾄﾞ部ﾒｯｾｰｼﾞを全て削除します。"));
    uFCom_Bas::setTip(Command3[0], QStringLiteral("選択された定型ﾒｯｾｰｼﾞをｶﾞｲﾄﾞ部へ登録します。"));
    uFCom_Bas::setTip(Command3[1], QStringLiteral("選択されたｶﾞｲﾄﾞ部ﾒｯｾｰｼﾞを削除します。"));

    Text3->clear();
    uFCom_Bas::setTip(Text3, QStringLiteral("入力は出来ません。ｶﾞｲﾄﾞ部ﾒｯｾｰｼﾞの選択で表示されます。"));
    uFCom_Bas::setTip(List2, QStringLiteral("ｶﾞｲﾄﾞ部ﾒｯｾｰｼﾞの最大登録数は[") + items + QStringLiteral("]です。"));

    const bool panel = conf_->watch().WatchPanelShow != 0;
    Label6->setText(QStringLiteral("登録されているｶﾞｲﾄﾞ部ﾒｯｾｰｼﾞより") + kCRLF +
                    QStringLiteral("指定日時にｶﾞｲﾄﾞﾒｯｾｰｼﾞの表示を行います。") + kCRLF + kCRLF +
                    QStringLiteral("経過した日時のﾒｯｾｰｼﾞは削除されます。") + kCRLF +
                    QStringLiteral("また表示時、ｺｰｳﾞｪｲﾝへの通知も行います。") +
                    QStringLiteral("(但し、ｺｰｳﾞｪｲﾝがある時のみ)"));
    Label6->setVisible(!panel);
    for (QWidget* w : {static_cast<QWidget*>(Label4), static_cast<QWidget*>(Label3), static_cast<QWidget*>(VScroll1),
                       static_cast<QWidget*>(Label5), static_cast<QWidget*>(Check1), static_cast<QWidget*>(Command4[0]),
                       static_cast<QWidget*>(Command4[1])})
        w->setVisible(panel);
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
