#include "gui/platform/textbox.h"

#include <QPlainTextEdit>

namespace uFCom_Bas {

QString TextBoxText(const QPlainTextEdit* box)
{
    if (!box) return QString();
    // The box keeps its lines apart; its plain text joins them with LF.
    QString text = box->toPlainText();
    // The unit separator is how a stored entry spells a line break; typed
    // or pasted, it would come back as one.
    text.remove(QChar(0x1F));
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

}  // namespace uFCom_Bas
