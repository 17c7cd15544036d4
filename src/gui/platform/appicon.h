#pragma once
#include <QIcon>

namespace uFCom_Bas {
// Starts decoding the icon's images on a second thread, so that the first
// window does not wait for them (call once QApplication exists).
// programIcon() works without it.
void startProgramIconLoad();
// The program's icon: the PNG sizes of data/icons, compiled in.
QIcon programIcon();
}  // namespace uFCom_Bas
