#pragma once
#include <QIcon>

namespace uFCom_Bas {
// The program's icon: the PNG sizes of data/icons, compiled in.
QIcon programIcon();
}  // namespace uFCom_Bas
