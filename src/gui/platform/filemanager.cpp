#include "gui/platform/filemanager.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

#include "core/display.h"
#include "model/platform/text.h"

namespace uFCom_Bas {

int ExplorerOpen(QWidget* /*window*/, const QString& folder)
{
    QString path = trimSpaces(folder);
    if (const int shown = platform::shellExplore(path.toStdString()); shown != 0) return shown > 0 ? 42 : 2;
    path = forwardSlashes(path);
    if (path.isEmpty() || !QFileInfo::exists(path)) path = QStringLiteral("/");
    const bool ok = QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
    return ok ? 42 : 2;
}

}  // namespace uFCom_Bas
