#pragma once
// The Qt floor of the platform layer: the helpers the forms share, on QString.
#include <QByteArray>
#include <QIcon>
#include <QRect>
#include <QString>
#include <functional>

#include "model/platform/text.h"

class QPlainTextEdit;
class QWidget;

namespace uFCom_Bas {

// The text of a multi-line box as the program keeps it: every line break is
// CR LF, two characters, as on Windows; the control character U+001F (how a
// stored entry spells a line break) is left out.  Null box: empty.
QString TextBoxText(const QPlainTextEdit* box);

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
void PlaceCalc(QWidget* window, const QString& style, int top, int left, int width, int height);
PlaceRecord PlaceGet();
// Puts a dialog where the forms open their dialogs: a fifth down and a tenth
// across the main window's placement rectangle (the one computed when it
// loaded).  The place in twips goes to top and left when given.
void PlaceDialog(QWidget* dialog, int* top = nullptr, int* left = nullptr);
// Replaces the work area the placement code sees (tests).  A null rectangle
// restores the real one.
void setWorkAreaForTest(const QRect& area);
// Non-zero on success, 0 on failure; pixels.
int WorkAreaGet(QRect& area);
// The work area, or the one assumed where the system gives none.
QRect WorkAreaOrDefault();
// How far the outer frame of a shown window, as the system draws it, runs
// past the right edge of the area (negative: short of it), in pixels.
// False where the system does not say (X11: the toolkit's frame geometry
// holds) or the window is not shown.
bool frameOverhangRight(QWidget* window, const QRect& area, int& overhang);

int TrayIconAdd(QWidget* window, const QIcon& icon, const QString& tip);
int TrayIconDelete(QWidget* window, const QIcon& icon);
// Tests may pretend there is no tray.
void setTrayAvailableForTest(int available);  // -1 real, 0 none, 1 present

// Opens the folder in the desktop's file manager; above 32 on success.
int ExplorerOpen(QWidget* window, const QString& folder);

// The platform's default beep.  Never waits for the sound.
void SystemBeep();
// Replaces the beep (tests); an empty function restores it.
void setBeepForTest(std::function<void()> beep);

// Twips <-> pixels for a window measured in twips.
int twipsToPixels(int twips, int unitsPerPixel = 15);

}  // namespace uFCom_Bas
