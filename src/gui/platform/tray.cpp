#include "gui/platform/tray.h"

#include <QSystemTrayIcon>
#include <QWidget>

#include "core/seam.h"

namespace uFCom_Bas {

namespace {
// A window's icon is its child of this name.
const QString kTrayIconName = QStringLiteral("TrayIcon");

QSystemTrayIcon* iconOf(QWidget* window)
{
    return window ? window->findChild<QSystemTrayIcon*>(kTrayIconName, Qt::FindDirectChildrenOnly) : nullptr;
}
}  // namespace

Tray& Tray::system()
{
    struct OfTheDesktop final : Tray {
        bool available() override { return QSystemTrayIcon::isSystemTrayAvailable(); }
    };
    static OfTheDesktop tray;
    return tray;
}

int TrayIconAdd(QWidget* window, const QIcon& icon, const QString& tip)
{
    if (!window) return -1;
    if (!seam::current<Tray>().available()) return -1;
    if (iconOf(window)) return 0;
    auto* tray = new QSystemTrayIcon(icon, window);
    tray->setObjectName(kTrayIconName);
    // The tip field holds 63 characters and a terminator.
    tray->setToolTip(tip.left(63));
    QObject::connect(tray, &QSystemTrayIcon::activated, window, [window](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Context) QMetaObject::invokeMethod(window, "trayRightClicked");
    });
    tray->show();
    return 0;
}

int TrayIconDelete(QWidget* window, const QIcon& /*icon*/)
{
    QSystemTrayIcon* tray = iconOf(window);
    if (!tray) return -1;
    // Gone from the window at once, though deleted later.
    tray->setObjectName(QString());
    tray->hide();
    tray->deleteLater();
    return 0;
}

}  // namespace uFCom_Bas
