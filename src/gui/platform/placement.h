#pragma once
// The placement grid: the main window's place as cells of a 15 x 15 grid over
// the work area, in twips, and the dialogs placed from it.
#include <QString>

class QWidget;

namespace uFCom_Bas {

struct PlaceRecord {
    int topCells = 0, leftCells = 0, widthCells = 0, heightCells = 0;
    int unitsX = 0, unitsY = 0;
    int areaLeft = 0, areaTop = 0, areaRight = 0, areaBottom = 0;
    int top = 0, left = 0, width = 0, height = 0;
    int areaWidth = 0, areaHeight = 0;
    // Twips per pixel, 15 before the first placement has measured them.
    int twipsPerPixelX() const { return unitsX > 0 ? unitsX : 15; }
    int twipsPerPixelY() const { return unitsY > 0 ? unitsY : 15; }
};

// Window units (twips) per pixel of the screen the window is on.
void ScaleGet(QWidget* window, int& unitsX, int& unitsY);
// Computes the main window's placement on the grid and keeps it on that
// window, for the dialogs it opens.
void PlaceCalc(QWidget* window, const QString& style, int top, int left, int width, int height);
// The placement kept on mainWindow's window; an empty record (15 twips per
// pixel, no area) for none.
PlaceRecord PlaceGet(const QWidget* mainWindow);
// Puts a dialog where the forms open their dialogs: a fifth down and a tenth
// across the main window's placement rectangle (the one computed when it
// loaded).  The place in twips goes to top and left when given.
void PlaceDialog(QWidget* dialog, const QWidget* mainWindow, int* top = nullptr, int* left = nullptr);

// Twips <-> pixels for a window measured in twips.
int twipsToPixels(int twips, int unitsPerPixel);

}  // namespace uFCom_Bas
