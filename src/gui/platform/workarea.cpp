#include "gui/platform/workarea.h"

#include <QGuiApplication>
#include <QScreen>

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

}  // namespace uFCom_Bas
