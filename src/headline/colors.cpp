#include "headline/colors.h"

#include <QGuiApplication>
#include <QPalette>

namespace uFCom_Bas {

namespace {

struct ColourEntry {
    int index;
    int value;
};

// clang-format off
constexpr ColourEntry kColours[] = {
    {0, rgbValue(0, 0, 0)},
    {1, systemColour(0x08)},  // window text
    {2, rgbValue(64, 64, 64)},
    {3, rgbValue(128, 128, 128)},
    {4, rgbValue(192, 192, 192)},
    {5, rgbValue(224, 224, 224)},
    {6, rgbValue(255, 255, 255)},
    {7, systemColour(0x10)},  // button shadow
    {8, systemColour(0x0F)},  // button face
    {9, systemColour(0x05)},  // window background
    {10, rgbValue(255, 0, 0)},
    {11, rgbValue(64, 0, 0)},
    {12, rgbValue(128, 0, 0)},
    {13, rgbValue(192, 0, 0)},
    {14, rgbValue(255, 0, 0)},
    {15, rgbValue(255, 128, 128)},
    {16, rgbValue(255, 192, 192)},
    {20, rgbValue(128, 64, 64)},
    {21, rgbValue(128, 64, 64)},
    {22, rgbValue(128, 64, 0)},
    {23, rgbValue(192, 64, 0)},
    {24, rgbValue(255, 128, 0)},
    {25, rgbValue(255, 192, 128)},
    {26, rgbValue(255, 224, 192)},
    {30, rgbValue(255, 255, 128)},
    {31, rgbValue(64, 64, 0)},
    {32, rgbValue(128, 128, 0)},
    {33, rgbValue(192, 192, 0)},
    {34, rgbValue(255, 255, 0)},
    {35, rgbValue(255, 255, 128)},
    {36, rgbValue(255, 255, 192)},
    {40, rgbValue(0, 255, 0)},
    {41, rgbValue(0, 64, 0)},
    {42, rgbValue(0, 128, 0)},
    {43, rgbValue(0, 192, 0)},
    {44, rgbValue(0, 255, 0)},
    {45, rgbValue(128, 255, 128)},
    {46, rgbValue(192, 255, 192)},
    {50, rgbValue(0, 255, 255)},
    {51, rgbValue(0, 64, 64)},
    {52, rgbValue(0, 128, 128)},
    {53, rgbValue(0, 192, 192)},
    {54, rgbValue(0, 255, 255)},
    {55, rgbValue(128, 255, 255)},
    {56, rgbValue(192, 255, 255)},
    {60, rgbValue(0, 0, 255)},
    {61, rgbValue(0, 0, 64)},
    {62, rgbValue(0, 0, 128)},
    {63, rgbValue(0, 0, 192)},
    {64, rgbValue(0, 0, 255)},
    {65, rgbValue(128, 128, 255)},
    {66, rgbValue(192, 192, 255)},
    {70, rgbValue(255, 0, 255)},
    {71, rgbValue(64, 0, 64)},
    {72, rgbValue(128, 0, 128)},
    {73, rgbValue(192, 0, 192)},
    {74, rgbValue(255, 0, 255)},
    {75, rgbValue(255, 128, 255)},
    {76, rgbValue(255, 192, 255)},
    {100, rgbValue(255, 245, 180)},
    {101, rgbValue(175, 255, 255)},
};
// clang-format on

// System colour number -> palette group and role.
bool systemRole(int nn, QPalette::ColorGroup& group, QPalette::ColorRole& role)
{
    group = QPalette::Active;
    switch (nn) {
    case 0x00:
        role = QPalette::Button;
        return true;  // scroll bar
    case 0x01:
        role = QPalette::Window;
        return true;  // desktop
    case 0x02:
        role = QPalette::Highlight;
        return true;  // active caption
    case 0x03:
        role = QPalette::Mid;
        return true;  // inactive caption
    case 0x04:
        role = QPalette::Window;
        return true;  // menu
    case 0x05:
        role = QPalette::Base;
        return true;  // window background
    case 0x06:
        role = QPalette::Shadow;
        return true;  // window frame
    case 0x07:
        role = QPalette::WindowText;
        return true;  // menu text
    case 0x08:
        role = QPalette::WindowText;
        return true;  // window text
    case 0x09:
        role = QPalette::HighlightedText;
        return true;  // caption text
    case 0x0A:
        role = QPalette::Window;
        return true;  // active border
    case 0x0B:
        role = QPalette::Window;
        return true;  // inactive border
    case 0x0C:
        role = QPalette::Dark;
        return true;  // application work space
    case 0x0D:
        role = QPalette::Highlight;
        return true;  // selection
    case 0x0E:
        role = QPalette::HighlightedText;
        return true;  // selected text
    case 0x0F:
        role = QPalette::Button;
        return true;  // button face
    case 0x10:
        role = QPalette::Dark;
        return true;  // button shadow
    case 0x11:        // grey text
        group = QPalette::Disabled;
        role = QPalette::Text;
        return true;
    case 0x12:
        role = QPalette::ButtonText;
        return true;  // button text
    case 0x13:        // inactive caption text
        group = QPalette::Inactive;
        role = QPalette::WindowText;
        return true;
    case 0x14:
        role = QPalette::Light;
        return true;  // button highlight
    case 0x15:
        role = QPalette::Shadow;
        return true;  // 3-D dark shadow
    case 0x16:
        role = QPalette::Midlight;
        return true;  // 3-D light
    case 0x17:
        role = QPalette::ToolTipText;
        return true;  // info text
    case 0x18:
        role = QPalette::ToolTipBase;
        return true;  // info background
    case 0x1A:
        role = QPalette::Link;
        return true;  // hot tracking
    case 0x1B:
        role = QPalette::Highlight;
        return true;  // caption gradient
    case 0x1C:
        role = QPalette::Mid;
        return true;  // inactive gradient
    case 0x1D:
        role = QPalette::Highlight;
        return true;  // menu highlight
    case 0x1E:
        role = QPalette::Window;
        return true;  // menu bar
    default:
        return false;
    }
}

}  // namespace

int ColorGet(int index)
{
    for (const ColourEntry& e : kColours) {
        if (e.index == index) return e.value;
    }
    return index;
}

QColor colorFromValue(int value)
{
    const auto bits = static_cast<unsigned>(value);
    if (bits <= 0xFFFFFFu) {
        return QColor(int(bits & 0xFF), int((bits >> 8) & 0xFF), int((bits >> 16) & 0xFF));
    }
    if ((bits & 0xFFFFFF00u) == 0x80000000u) {
        QPalette::ColorGroup group;
        QPalette::ColorRole role;
        if (systemRole(int(bits & 0xFF), group, role)) {
            return QGuiApplication::palette().color(group, role);
        }
    }
    return QColor();
}

}  // namespace uFCom_Bas
