#pragma once
#include <QIcon>

namespace uFCom_Bas {
// The program's icon, drawn once.
QIcon programIcon();
}  // namespace uFCom_Bas
