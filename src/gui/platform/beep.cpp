#include "gui/platform/beep.h"

#include <QApplication>

#include "core/bell.h"
#include "core/seam.h"

namespace uFCom_Bas {

void SystemBeep()
{
    seam::current<platform::Bell>().ring([]() {
        if (QCoreApplication* app = QCoreApplication::instance())
            QMetaObject::invokeMethod(
                app, []() { QApplication::beep(); }, Qt::QueuedConnection);
    });
}

}  // namespace uFCom_Bas
