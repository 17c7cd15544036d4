#include "platform/appicon.h"

namespace uFCom_Bas {

QIcon programIcon()
{
    // The PNG sizes of data/icons, compiled in as resources of the library.
    static const QIcon icon = []() {
        QIcon result;
        for (int size : {16, 24, 32, 48, 64, 128, 256}) {
            result.addFile(QStringLiteral(":/icons/hicolor/%1x%1/apps/uPVelmora.png").arg(size), QSize(size, size));
        }
        return result;
    }();
    return icon;
}

}  // namespace uFCom_Bas
