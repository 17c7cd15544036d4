#pragma once
// The program's icon in the desktop's notification area.
#include <QIcon>
#include <QString>

class QWidget;

namespace uFCom_Bas {

// Whether the desktop has a notification area (a seam: see core/seam.h).
// The system's asks the toolkit.
class Tray {
public:
    virtual ~Tray() = default;
    virtual bool available() = 0;
    static Tray& system();
};

// 0 on success, -1 when no window is given, the desktop has no notification
// area or the icon cannot be removed.
int TrayIconAdd(QWidget* window, const QIcon& icon, const QString& tip);
int TrayIconDelete(QWidget* window, const QIcon& icon);

}  // namespace uFCom_Bas
