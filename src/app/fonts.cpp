#include "app/fonts.h"

#include <QStringList>

namespace app {

QFont gothicFont(double pointSize, bool bold)
{
    QFont f;
    f.setFamilies({QStringLiteral("ＭＳ ゴシック"), QStringLiteral("MS Gothic"), QStringLiteral("IPAGothic"),
                   QStringLiteral("Noto Sans Mono CJK JP"), QStringLiteral("Noto Sans CJK JP")});
    f.setPointSizeF(pointSize);
    f.setBold(bold);
    f.setStyleHint(QFont::TypeWriter);
    return f;
}

QFont pGothicFont(double pointSize, bool bold)
{
    QFont f;
    f.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"), QStringLiteral("IPAPGothic"),
                   QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAGothic")});
    f.setPointSizeF(pointSize);
    f.setBold(bold);
    return f;
}

}  // namespace app
