#include "gui/monitor/guidemsg.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

#include "core/windowsearch.h"
#include "gui/platform/fonts.h"
#include "gui/platform/formkit.h"
#include "gui/platform/ufcom.h"

namespace {

const QString kCaption = QStringLiteral("ｶﾞｲﾄﾞﾒｯｾｰｼﾞ");
using uFCom_Bas::kCRLF;
const QString kConfirm = QStringLiteral("確認");
const QString kAutoConfirm = QStringLiteral("自動確認");
const QString kAutoLine1 = QStringLiteral("ｶﾞｲﾄﾞﾒｯｾｰｼﾞは自動で消滅いたします。");
const QString kAutoLine2 = QStringLiteral("(自動確認指定があります。)");
const QString kManualLine1 = QStringLiteral("ｶﾞｲﾄﾞﾒｯｾｰｼﾞは自動で消滅しません。");
const QString kManualLine2 = QStringLiteral("確認PBLを押下して下さい。");
// How long a window manager gets to give the window the focus before it is
// marked as demanding attention instead.
constexpr int kActivationWaitMs = 250;
// How long a window manager may take to put its frame around the window.
constexpr int kFrameWaitMs = 200;

// Screen readers see the window as an alert, whose description is the
// messages.
QAccessibleInterface* alertInterface(const QString& key, QObject* object)
{
    if (key == QLatin1String("GuideMsg_Dialog") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::AlertMessage);
    return nullptr;
}

void installAlertInterface()
{
    static const bool installed = []() {
        QAccessible::installFactory(alertInterface);
        return true;
    }();
    (void)installed;
}

}  // namespace

GuideMsg_Dialog::GuideMsg_Dialog(Shared shared)
    : QWidget(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                           Qt::MSWindowsFixedSizeDialogHint),
      s_(std::move(shared))
{
    installAlertInterface();
    setObjectName(QStringLiteral("GuideMsg_Dialog"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(kCaption);
    setupControls();
    Form_Load();
}

void GuideMsg_Dialog::setupControls()
{
    const uFCom_Bas::PlaceRecord place = uFCom_Bas::PlaceGet(s_.mainWindow);
    ux_ = place.twipsPerPixelX();
    uy_ = place.twipsPerPixelY();
    const uFCom_Bas::FormKit kit(ux_, uy_);
    setFixedSize(kit.px(6030), kit.pxY(3360));

    Dummy_Text = kit.focusBox(this, QStringLiteral("Dummy_Text"), kCaption, 240, 120);
    Frame1 = kit.frame(this, QStringLiteral("Frame1"), QString(), 120, 0, 5775, 3255);
    Text1 = kit.textBox(Frame1, QStringLiteral("Text1"), kCaption, 120, 240, 5535, 1935);
    Text1->setReadOnly(true);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setFont(uFCom_Bas::gothicFont(9, true));
    Label1 = kit.label(Frame1, QStringLiteral("Label1"), QString(), 120, 2280, 5535, 495);
    Label1->setFont(uFCom_Bas::gothicFont(9, true));
    uFCom_Bas::setTextColour(Label1, QColor(0, 0, 255));
    Command1 = kit.button(Frame1, QStringLiteral("Command1"), kConfirm, 120, 2880, 975, 255);
    Command1->setAutoDefault(true);
    Check1 = new QCheckBox(kAutoConfirm, Frame1);
    Check1->setObjectName(QStringLiteral("Check1"));
    kit.place(Check1, 4560, 2880, 1095, 255);

    setTabOrder(Dummy_Text, Text1);
    setTabOrder(Text1, Check1);
    setTabOrder(Check1, Command1);

    connect(Command1, &QPushButton::clicked, this, &GuideMsg_Dialog::Command1_Click);
    uFCom_Bas::onClick(Check1, [this]() { Check1_Click(); });
}

void GuideMsg_Dialog::Form_Load()
{
    // Icon.
    if (s_.icon) setWindowIcon(s_.icon());
    // At the stored place, else at the top of the screen, flush with the
    // right edge of the work area.
    const int storedTop = s_.top ? *s_.top : 0;
    const int storedLeft = s_.left ? *s_.left : 0;
    top_ = storedTop != 0 ? storedTop : 0;
    flushRight_ = storedLeft == 0;
    if (flushRight_) {
        placeFlushRight();
    } else {
        left_ = storedLeft;
        move(uFCom_Bas::twipsToPixels(left_, ux_), uFCom_Bas::twipsToPixels(top_, uy_));
    }
    // The hint of the check box, which follows the stored setting.
    Dummy_Text->clear();
    uFCom_Bas::setCheckedQuietly(Check1, s_.Form_AutoGuide && s_.Form_AutoGuide() == 1);
    Check1_Click();
    Dummy_Text->setFocus();
}

void GuideMsg_Dialog::placeFlushRight()
{
    const QRect area = uFCom_Bas::WorkAreaOrDefault();
    // Where the system draws the frame (Windows), the shown window's own
    // outer edge is measured: the toolkit's frame margins there leave out
    // borders it takes for invisible, and the frame would run past the
    // edge.  Elsewhere the toolkit's frame geometry is the frame.
    if (int overhang = 0; uFCom_Bas::frameOverhangRight(this, area, overhang)) {
        const int x = pos().x() - overhang;
        left_ = x * ux_;
        move(x, uFCom_Bas::twipsToPixels(top_, uy_));
    } else {
        left_ = (area.x() + area.width()) * ux_ - frameGeometry().width() * ux_;
        move(uFCom_Bas::twipsToPixels(left_, ux_), uFCom_Bas::twipsToPixels(top_, uy_));
    }
    placedAt_ = pos();
}

bool GuideMsg_Dialog::autoConfirm() const
{
    return Check1->isChecked();
}

void GuideMsg_Dialog::Check1_Click()
{
    Label1->clear();
    if (Check1->isChecked()) {
        Label1->setText(kAutoLine1 + kCRLF + kAutoLine2);
    } else {
        Label1->setText(kManualLine1 + kCRLF + kManualLine2);
    }
    int value = Check1->isChecked() ? 1 : 0;
    if (s_.Form_MyConfWriteAutoGuide) s_.Form_MyConfWriteAutoGuide(value);
}

void GuideMsg_Dialog::Command1_Click()
{
    close();
}

void GuideMsg_Dialog::showMessages(const QString& text)
{
    Text1->clear();
    Text1->setPlainText(text);
    // Minimised by the operator or by a window manager's "show desktop": the
    // new messages must be seen, so the window comes back first.
    if (isMinimized()) {
        setWindowState(windowState() & ~Qt::WindowMinimized);
        // The toolkit rewrites the window's state as it restores it, and the
        // mark that keeps it off the task bar goes: it is asked for again
        // once the toolkit's requests have gone out.
        if (QGuiApplication::platformName() == QLatin1String("xcb"))
            QTimer::singleShot(0, this, [this]() { platform::markSkipTaskbar(winId()); });
    }
    // Taken off the screen by the window manager without being minimised:
    // its "show desktop" mode ends, else the window is shown anew.
    if (isVisible() && !isMinimized() && windowHandle() && !windowHandle()->isExposed()) {
        if (!(QGuiApplication::platformName() == QLatin1String("xcb") && platform::leaveShowDesktop())) hide();
    }
    if (!isVisible()) {
        // Out of the task bar: it belongs to no other window.
        if (QGuiApplication::platformName() == QLatin1String("xcb")) platform::markSkipTaskbar(winId());
        show();
        // The window manager's frame is known once the window is shown:
        // flush right means the frame's right edge, now and when the frame
        // arrives late, unless the operator has moved the window meanwhile.
        if (flushRight_) {
            placeFlushRight();
            QTimer::singleShot(kFrameWaitMs, this, [this]() {
                if (pos() == placedAt_) placeFlushRight();
            });
        }
    }
    bringToFront();
    announce();
}

void GuideMsg_Dialog::bringToFront()
{
    raise();
    activateWindow();
    // Window managers may refuse the focus to a program the operator is not
    // using: the window then asks for attention (the task bar or the window
    // list flashes it).
    QTimer::singleShot(kActivationWaitMs, this, [this]() {
        if (!isActiveWindow()) QApplication::alert(this);
    });
}

void GuideMsg_Dialog::announce()
{
    setAccessibleDescription(Text1->toPlainText());
    QAccessibleEvent event(this, QAccessible::Alert);
    QAccessible::updateAccessibility(&event);
}

void GuideMsg_Dialog::closeEvent(QCloseEvent* e)
{
    Form_Unload();
    e->accept();
}

void GuideMsg_Dialog::Form_Unload()
{
    if (unloaded_) return;
    unloaded_ = true;
    const QPoint p = pos();
    if (s_.top) *s_.top = p.y() * uy_;
    if (s_.left) *s_.left = p.x() * ux_;
}
