#include "app/keyhead.h"

namespace app {

namespace {
QString g_title;
}

QString FormKeyMsgHead()
{
    return QStringLiteral("[") + g_title + QStringLiteral("]");
}

void setMainTitle(const QString& title)
{
    g_title = title;
}

QString mainTitle()
{
    return g_title;
}

}  // namespace app
