#pragma once
// The status prefix every line, question and forced notification starts
// with: "[" + the main window's title + "]".
#include <QString>

class QIcon;

namespace app {

// Reads the title of the single main window (empty title before it loads).
QString FormKeyMsgHead();
// The main window's title member; set once when it loads.
void setMainTitle(const QString& title);
QString mainTitle();

}  // namespace app
