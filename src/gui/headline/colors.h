#pragma once
// The colour table of the head line and the forms, and the mapping of its
// colour values (RGB or system colour numbers) to Qt colours.
#include <QColor>

namespace uFCom_Bas {

// A colour value: r + 256 g + 65536 b.
constexpr int rgbValue(int r, int g, int b)
{
    return r + 256 * g + 65536 * b;
}

// System colour values 0x800000nn (negative as 32-bit signed numbers).
constexpr int systemColour(int nn)
{
    return static_cast<int>(0x80000000u | static_cast<unsigned>(nn & 0xFF));
}

// The table's colours the program's lines and labels use.
enum : int {
    kColourRed = 10,          // the monitor stopped
    kColourLightRed = 15,     // something failed or was lost
    kColourLightYellow = 30,  // an operation refused, or nothing to do
    kColourBlue = 60,         // the monitor running
};

// The colour value of a table index; an index outside the table is returned
// unchanged, so callers may pass colour values (and -1) straight through.
int ColorGet(int index);

// The Qt colour of a colour value: RGB values directly, system colours from
// the application palette.  Anything else (including -1) gives an invalid
// QColor.
QColor colorFromValue(int value);

}  // namespace uFCom_Bas
