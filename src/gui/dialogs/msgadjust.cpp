#include "gui/dialogs/msgadjust.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "gui/platform/formkit.h"
#include "gui/platform/spinbar.h"
#include "gui/platform/ufcom.h"

namespace {

const QString kCaption = QStringLiteral("画面調整");
const QString kFrameCaption = QStringLiteral("VL 画面 (適用後、次回立ち上げ時に有効)");
const std::array<QString, 3> kOptions = {QStringLiteral("通常"), QStringLiteral("最小"), QStringLiteral("最大")};
const std::array<QString, 3> kStyles = {QStringLiteral("NOMAL"), QStringLiteral("MIN"), QStringLiteral("MAX")};
const std::array<QString, 4> kNames = {QStringLiteral("Top"), QStringLiteral("Left"), QStringLiteral("Width"),
                                       QStringLiteral("Height")};
constexpr std::array<int, 4> kLeft = {120, 960, 1800, 2640};
constexpr std::array<int, 4> kMin = {0, 0, 1, 1};
constexpr std::array<int, 4> kMax = {14, 14, 15, 15};

}  // namespace

MsgAdjust_Dialog::MsgAdjust_Dialog(QWidget* mainWindow, const uFCom_Bas::ProgEntry& own, Services services)
    : QDialog(mainWindow, uFCom_Bas::kFixedDialogFlags), mainWindow_(mainWindow), own_(own), s_(std::move(services))
{
    setObjectName(QStringLiteral("MsgAdjust_Dialog"));
    setWindowTitle(kCaption);
    setWindowModality(Qt::WindowModal);
    setupControls();
    Form_Load();
}

void MsgAdjust_Dialog::setupControls()
{
    const uFCom_Bas::FormKit kit = uFCom_Bas::FormKit::placed(mainWindow_);
    setFixedSize(kit.px(3855), kit.pxY(2280));
    Text1 = kit.focusBox(this, QStringLiteral("Text1"), kCaption, 240, 240);
    Frame1 = kit.frame(this, QStringLiteral("Frame1"), kFrameCaption, 120, 120, 3615, 1695);
    for (int i = 0; i < 3; ++i) {
        Option1[i] = new QRadioButton(kOptions[i], Frame1);
        Option1[i]->setObjectName(QStringLiteral("Option1_%1").arg(i));
        kit.place(Option1[i], 120 + 720 * i, 360, 735, 255);
    }
    Command2 = kit.button(Frame1, QStringLiteral("Command2"), QStringLiteral("適用"), 2640, 360, 735, 255);
    for (int i = 0; i < 4; ++i) {
        Label1[i] = kit.label(Frame1, QStringLiteral("Label1_%1").arg(i), kNames[i], kLeft[i], 840, 735, 255);
        Label2[i] = kit.label(Frame1, QStringLiteral("Label2_%1").arg(i), QString(), kLeft[i], 1080, 495, 255);
        for (QLabel* l : {Label1[i], Label2[i]}) {
            l->setFrameShape(QFrame::Box);
            l->setAlignment(Qt::AlignCenter);
        }
        VScroll1[i] = new uFCom_Bas::SpinBar(Frame1);
        VScroll1[i]->setObjectName(QStringLiteral("VScroll1_%1").arg(i));
        VScroll1[i]->setAccessibleName(kNames[i]);
        kit.place(VScroll1[i], kLeft[i] + 480, 1080, 255, 255);
        connect(VScroll1[i], &uFCom_Bas::SpinBar::spinChanged, this, [this, i]() { VScroll1_Change(i); });
    }
    Command1 = kit.button(this, QStringLiteral("Command1"), QStringLiteral("戻る"), 120, 1920, 1095, 255);
    for (QPushButton* b : {Command1, Command2}) b->setAutoDefault(true);
    connect(Command2, &QPushButton::clicked, this, &MsgAdjust_Dialog::Command2_Click);
    connect(Command1, &QPushButton::clicked, this, &MsgAdjust_Dialog::Command1_Click);
}

void MsgAdjust_Dialog::Form_Load()
{
    if (mainWindow_) setWindowIcon(mainWindow_->windowIcon());
    uFCom_Bas::PlaceDialog(this, mainWindow_);
    Text1->clear();
    for (QLabel* l : Label2) l->clear();
    int option = 0;
    for (int i = 0; i < 3; ++i)
        if (own_.StyleName == kStyles[i]) option = i;
    Option1[option]->setChecked(true);
    const std::array<int, 4> values = {own_.FormTop, own_.FormLeft, own_.FormWidth, own_.FormHeight};
    for (int i = 0; i < 4; ++i) {
        VScroll1[i]->setSpinRange(kMin[i], kMax[i]);
        // A start-up value outside the range is shown at the nearest end.
        VScroll1[i]->setSpinValue(values[i]);
        VScroll1_Change(i);
    }
    Text1->setFocus();
}

void MsgAdjust_Dialog::VScroll1_Change(int index)
{
    Label2[index]->setText(QString::number(VScroll1[index]->spinValue()));
}

QString MsgAdjust_Dialog::formStyleValue() const
{
    uFCom_Bas::ProgEntry chosen;
    chosen.StyleName = kStyles[0];
    for (int i = 0; i < 3; ++i)
        if (Option1[i]->isChecked()) {
            chosen.StyleName = kStyles[i];
            break;
        }
    chosen.FormTop = VScroll1[0]->spinValue();
    chosen.FormLeft = VScroll1[1]->spinValue();
    chosen.FormWidth = VScroll1[2]->spinValue();
    chosen.FormHeight = VScroll1[3]->spinValue();
    return uFCom_Bas::FormStyleValue(chosen);
}

void MsgAdjust_Dialog::Command2_Click()
{
    // The dialog stays open either way; a failure shows its line.
    if (s_.save) s_.save(formStyleValue());
}

void MsgAdjust_Dialog::Command1_Click()
{
    reject();
}
