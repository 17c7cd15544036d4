#include "gui/platform/fonts.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QSet>
#include <QStringList>

namespace uFCom_Bas {

namespace {

// The Windows font first, then Japanese Gothic fonts of Linux desktops (by
// their English and, as Windows lists them, Japanese names), then the
// Gothic face of Windows versions without the old one.
// Without the Windows fonts both fall back to the same Gothic face, which
// keeps one font file in memory instead of two.
// Only installed families are asked for: a family that is missing makes Qt
// search fallbacks for every script, which is slow.  They are looked up in
// the database's family list, read once: asking Qt family by family makes it
// resolve each missing name as an alias through the font configuration.
QStringList installed(const QStringList& wanted)
{
    if (!QGuiApplication::instance()) return wanted;
    static const QSet<QString> families = []() {
        QSet<QString> all;
        for (const QString& family : QFontDatabase::families()) all.insert(family.toCaseFolded());
        return all;
    }();
    QStringList found;
    for (const QString& family : wanted)
        if (families.contains(family.toCaseFolded())) found << family;
    return found.isEmpty() ? wanted : found;
}

const QStringList& gothicFamilies()
{
    static const QStringList families = installed(
        {QStringLiteral("ＭＳ ゴシック"), QStringLiteral("MS Gothic"), QStringLiteral("IPAGothic"),
         QStringLiteral("IPAゴシック"), QStringLiteral("IPA ゴシック"), QStringLiteral("Noto Sans Mono CJK JP"),
         QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Yu Gothic")});
    return families;
}

const QStringList& pGothicFamilies()
{
    static const QStringList families =
        installed({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"), QStringLiteral("IPAPGothic"),
                   QStringLiteral("IPA Pゴシック"), QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Yu Gothic")});
    return families;
}

}  // namespace

QFont gothicFont(double pointSize, bool bold)
{
    QFont f;
    f.setFamilies(gothicFamilies());
    f.setPointSizeF(pointSize);
    f.setBold(bold);
    f.setStyleHint(QFont::TypeWriter);
    return f;
}

QFont pGothicFont(double pointSize, bool bold)
{
    QFont f;
    f.setFamilies(pGothicFamilies());
    f.setPointSizeF(pointSize);
    f.setBold(bold);
    return f;
}

}  // namespace uFCom_Bas
