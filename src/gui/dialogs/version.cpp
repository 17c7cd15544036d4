#include "gui/dialogs/version.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include "gui/platform/appicon.h"
#include "gui/platform/formkit.h"
#include "gui/platform/ufcom.h"

namespace {
const QString kCaptionTail = QStringLiteral(" のﾊﾞｰｼﾞｮﾝ情報");
using uFCom_Bas::kCRLF;
const QString kCopyright =
    QStringLiteral("Copyright (C) 2026 ｳﾞｪﾙﾓﾗ 開発チーム") + kCRLF + QStringLiteral("All rights reserved.");
const QString kCompanion = QStringLiteral("本ｿﾌﾄｳｪｱは 『ｺｰｳﾞｪｲﾝ』 に対応しています");
}  // namespace

QString Ver_Dialog::versionText()
{
    return QString::number(VELMORA_VERSION_MAJOR) + QStringLiteral(".") + QString::number(VELMORA_VERSION_MINOR) +
           QStringLiteral(".") + QString::number(VELMORA_VERSION_PATCH);
}

Ver_Dialog::Ver_Dialog(QWidget* mainWindow) : QDialog(mainWindow, uFCom_Bas::kFixedDialogFlags)
{
    setObjectName(QStringLiteral("Ver_Dialog"));
    setWindowModality(Qt::WindowModal);
    const uFCom_Bas::PlaceRecord r = uFCom_Bas::PlaceGet(mainWindow);
    const int ux = r.twipsPerPixelX(), uy = r.twipsPerPixelY();
    const uFCom_Bas::FormKit kit(ux, uy);
    // The four lines of Label1 need a little more than the designed 735
    // twips with the Japanese Gothic fonts of Linux: the lower part of the
    // window moves down by the difference.
    constexpr int extra = 180;
    setFixedSize(kit.px(6030), kit.pxY(1470 + extra));

    OKButton = kit.button(this, QStringLiteral("OKButton"), QStringLiteral("OK"), 5040, 120, 855, 375);
    OKButton->setAutoDefault(true);
    Picture1 = kit.label(this, QStringLiteral("Picture1"), QString(), 120, 120, 495, 495);
    Label1 = kit.label(this, QStringLiteral("Label1"), QString(), 720, 120, 4215, 735 + extra);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* line = new QFrame(this);
    line->setObjectName(QStringLiteral("Line1"));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    kit.place(line, 720, 945 + extra, 4320, 30);
    Label2 = kit.label(this, QStringLiteral("Label2"), QString(), 720, 1080 + extra, 4215, 255);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    // The load: icon, caption and texts from the main window as it is now.
    const QIcon icon = mainWindow ? mainWindow->windowIcon() : uFCom_Bas::programIcon();
    setWindowIcon(icon);
    const QString caption = mainWindow ? mainWindow->windowTitle() : QString();
    setWindowTitle(caption + kCaptionTail);
    uFCom_Bas::PlaceDialog(this, mainWindow);
    Picture1->setPixmap(icon.pixmap(32, 32));
    Picture1->setAccessibleName(caption);
    Label1->setText(caption + QStringLiteral(" Version ") + versionText() + kCRLF + kCRLF + kCopyright);
    Label2->setText(kCompanion);
    OKButton->setFocus();
}
