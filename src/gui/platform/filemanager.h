#pragma once
// Folders shown in the desktop's file manager.
#include <QString>

class QWidget;

namespace uFCom_Bas {

// Opens the folder in the desktop's file manager; above 32 on success.
int ExplorerOpen(QWidget* window, const QString& folder);

}  // namespace uFCom_Bas
