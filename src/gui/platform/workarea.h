#pragma once
// The desktop's work area: the part of the primary screen that panels and
// task bars leave to windows.
#include <QRect>

class QWidget;

namespace uFCom_Bas {

// Where the work area comes from (a seam: see core/seam.h).  The system's
// asks the OS where it reports one, else the toolkit's primary screen.
class WorkArea {
public:
    virtual ~WorkArea() = default;
    // False when no work area can be had.
    virtual bool get(QRect& area) = 0;
    static WorkArea& system();
};

// Non-zero on success, 0 on failure; pixels.
int WorkAreaGet(QRect& area);
// The work area, or the one assumed where the system gives none.
QRect WorkAreaOrDefault();
// How far the outer frame of a shown window, as the system draws it, runs
// past the right edge of the area (negative: short of it), in pixels.
// False where the system does not say (X11: the toolkit's frame geometry
// holds) or the window is not shown.
bool frameOverhangRight(QWidget* window, const QRect& area, int& overhang);

}  // namespace uFCom_Bas
