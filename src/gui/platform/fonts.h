#pragma once
// The fonts the forms ask for, with Japanese Gothic fallbacks for machines
// without the Windows fonts.
#include <QFont>

namespace uFCom_Bas {

// "ＭＳ ゴシック" (fixed pitch).
QFont gothicFont(double pointSize, bool bold = false);
// "ＭＳ Ｐゴシック" (proportional), the forms' default.
QFont pGothicFont(double pointSize, bool bold = false);

}  // namespace uFCom_Bas
