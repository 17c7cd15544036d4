#include "gui/platform/placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

#include "gui/platform/workarea.h"

namespace uFCom_Bas {

namespace {

// The main window's placement, computed when it loaded, kept as a child
// object of the window: its dialogs are placed from it, and it goes with
// the window.
struct PlaceHolder : QObject {
    explicit PlaceHolder(QWidget* window) : QObject(window) { setObjectName(QStringLiteral("PlacementRecord")); }
    PlaceRecord record;
};

PlaceHolder* holderOf(const QWidget* widget)
{
    if (!widget) return nullptr;
    QObject* found =
        widget->window()->findChild<QObject*>(QStringLiteral("PlacementRecord"), Qt::FindDirectChildrenOnly);
    return dynamic_cast<PlaceHolder*>(found);
}

}  // namespace

int twipsToPixels(int twips, int unitsPerPixel)
{
    if (unitsPerPixel <= 0) unitsPerPixel = 15;
    return static_cast<int>(std::lround(static_cast<double>(twips) / unitsPerPixel));
}

void ScaleGet(QWidget* window, int& unitsX, int& unitsY)
{
    // Forms are measured in twips: 1440 per logical inch.
    double dpiX = 96.0, dpiY = 96.0;
    QScreen* screen = window && window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        dpiX = screen->logicalDotsPerInchX();
        dpiY = screen->logicalDotsPerInchY();
    }
    if (dpiX <= 0) dpiX = 96.0;
    if (dpiY <= 0) dpiY = 96.0;
    unitsX = static_cast<int>(std::lround(1440.0 / dpiX));
    unitsY = static_cast<int>(std::lround(1440.0 / dpiY));
    if (unitsX <= 0) unitsX = 1;
    if (unitsY <= 0) unitsY = 1;
}

void PlaceDialog(QWidget* dialog, const QWidget* mainWindow, int* topOut, int* leftOut)
{
    const PlaceRecord r = PlaceGet(mainWindow);
    const int top = static_cast<int>(r.top + 0.2 * r.height);
    const int left = static_cast<int>(r.left + 0.1 * r.width);
    if (topOut) *topOut = top;
    if (leftOut) *leftOut = left;
    dialog->move(twipsToPixels(left, r.twipsPerPixelX()), twipsToPixels(top, r.twipsPerPixelY()));
}

void PlaceCalc(QWidget* window, const QString& /*style: applied by the caller*/, int top, int left, int width,
               int height)
{
    PlaceHolder* holder = holderOf(window);
    if (!holder) holder = new PlaceHolder(window->window());
    PlaceRecord& r = holder->record;
    r = PlaceRecord{};
    int ux = 15, uy = 15;
    ScaleGet(window, ux, uy);
    r.unitsX = ux;
    r.unitsY = uy;

    const QRect area = WorkAreaOrDefault();
    r.areaLeft = area.left();
    r.areaTop = area.top();
    r.areaRight = area.x() + area.width();
    r.areaBottom = area.y() + area.height();

    r.widthCells = width <= 0 ? 1 : (width > ux ? ux : width);
    r.heightCells = height <= 0 ? 1 : (height > uy ? uy : height);

    // A window pushed far off the top (left) keeps one row (column) on the
    // grid; one that would run past the bottom (right) row is moved up
    // (left) so that it lies inside the work area, top-left cell included.
    if (top <= -uy) {
        r.topCells = 1 - r.heightCells;
    } else if (top + r.heightCells > uy) {
        r.topCells = uy - r.heightCells;
    } else {
        r.topCells = top;
    }
    if (left <= -ux) {
        r.leftCells = 1 - r.widthCells;
    } else if (left + r.widthCells > ux) {
        r.leftCells = ux - r.widthCells;
    } else {
        r.leftCells = left;
    }

    r.top = r.areaBottom * r.topCells;
    r.left = r.areaRight * r.leftCells;
    r.width = r.areaRight * r.widthCells;
    r.height = r.areaBottom * r.heightCells;
    r.areaWidth = r.areaRight * ux;
    r.areaHeight = r.areaBottom * uy;
}

PlaceRecord PlaceGet(const QWidget* mainWindow)
{
    const PlaceHolder* holder = holderOf(mainWindow);
    return holder ? holder->record : PlaceRecord{};
}

}  // namespace uFCom_Bas
