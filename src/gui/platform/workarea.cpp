#include "gui/platform/workarea.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cstdint>

#include "core/display.h"
#include "core/seam.h"

namespace uFCom_Bas {

WorkArea& WorkArea::system()
{
    struct OfTheScreen final : WorkArea {
        bool get(QRect& area) override
        {
            if (int l, t, r, b; platform::systemWorkArea(l, t, r, b)) {
                area = QRect(l, t, r - l, b - t);
                return area.isValid();
            }
            QScreen* screen = QGuiApplication::primaryScreen();
            if (!screen) return false;
            area = screen->availableGeometry();
            return area.isValid();
        }
    };
    static OfTheScreen workArea;
    return workArea;
}

int WorkAreaGet(QRect& area)
{
    return seam::current<WorkArea>().get(area) ? 1 : 0;
}

QRect WorkAreaOrDefault()
{
    QRect area;
    if (!WorkAreaGet(area)) area = QRect(0, 0, 1280, 738);
    return area;
}

bool frameOverhangRight(QWidget* window, const QRect& area, int& overhang)
{
    if (!window || !window->isVisible()) return false;
    int l = 0, t = 0, r = 0, b = 0;
    if (!platform::windowFrameRect(static_cast<std::uintptr_t>(window->winId()), l, t, r, b)) return false;
    overhang = qRound(r / window->devicePixelRatioF()) - (area.x() + area.width());
    return true;
}

}  // namespace uFCom_Bas
