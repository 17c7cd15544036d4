#include "gui/headline/colors.h"

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
struct SystemRole {
    int nn;
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

// clang-format off
constexpr SystemRole kSystemRoles[] = {
    {0x00, QPalette::Active, QPalette::Button},         // scroll bar
    {0x01, QPalette::Active, QPalette::Window},         // desktop
    {0x02, QPalette::Active, QPalette::Highlight},      // active caption
    {0x03, QPalette::Active, QPalette::Mid},            // inactive caption
    {0x04, QPalette::Active, QPalette::Window},         // menu
    {0x05, QPalette::Active, QPalette::Base},           // window background
    {0x06, QPalette::Active, QPalette::Shadow},         // window frame
    {0x07, QPalette::Active, QPalette::WindowText},     // menu text
    {0x08, QPalette::Active, QPalette::WindowText},     // window text
    {0x09, QPalette::Active, QPalette::HighlightedText},// caption text
    {0x0A, QPalette::Active, QPalette::Window},         // active border
    {0x0B, QPalette::Active, QPalette::Window},         // inactive border
    {0x0C, QPalette::Active, QPalette::Dark},           // application work space
    {0x0D, QPalette::Active, QPalette::Highlight},      // selection
    {0x0E, QPalette::Active, QPalette::HighlightedText},// selected text
    {0x0F, QPalette::Active, QPalette::Button},         // button face
    {0x10, QPalette::Active, QPalette::Dark},           // button shadow
    {0x11, QPalette::Disabled, QPalette::Text},         // grey text
    {0x12, QPalette::Active, QPalette::ButtonText},     // button text
    {0x13, QPalette::Inactive, QPalette::WindowText},   // inactive caption text
    {0x14, QPalette::Active, QPalette::Light},          // button highlight
    {0x15, QPalette::Active, QPalette::Shadow},         // 3-D dark shadow
    {0x16, QPalette::Active, QPalette::Midlight},       // 3-D light
    {0x17, QPalette::Active, QPalette::ToolTipText},    // info text
    {0x18, QPalette::Active, QPalette::ToolTipBase},    // info background
    {0x1A, QPalette::Active, QPalette::Link},           // hot tracking
    {0x1B, QPalette::Active, QPalette::Highlight},      // caption gradient
    {0x1C, QPalette::Active, QPalette::Mid},            // inactive gradient
    {0x1D, QPalette::Active, QPalette::Highlight},      // menu highlight
    {0x1E, QPalette::Active, QPalette::Window},         // menu bar
};
// clang-format on

bool systemRole(int nn, QPalette::ColorGroup& group, QPalette::ColorRole& role)
{
    for (const SystemRole& r : kSystemRoles) {
        if (r.nn == nn) {
            group = r.group;
            role = r.role;
            return true;
        }
    }
    return false;
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
