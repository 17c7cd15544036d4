#pragma once
#include <QIcon>

namespace app {
// The program's icon, drawn once.
QIcon programIcon();
}
