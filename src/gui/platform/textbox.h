#pragma once
// The text of the program's multi-line boxes as the program keeps it.
#include <QString>

class QPlainTextEdit;

namespace uFCom_Bas {

// The text of a multi-line box as the program keeps it: every line break is
// CR LF, two characters, as on Windows; the control character U+001F (how a
// stored entry spells a line break) is left out.  Null box: empty.
QString TextBoxText(const QPlainTextEdit* box);

}  // namespace uFCom_Bas
