#include "gui/platform/kanalabel.h"

#include <QPainter>
#include <QStyle>

namespace uFCom_Bas {

namespace {
constexpr QChar kWordJoiner(0x2060);

bool halfwidthKana(QChar c)
{
    return c.unicode() >= 0xFF66 && c.unicode() <= 0xFF9F;
}
}  // namespace

QString joinHalfwidthKanaWords(const QString& text)
{
    QString out;
    out.reserve(text.size() * 2);
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (i > 0 && halfwidthKana(text[i - 1]) && halfwidthKana(text[i])) out += kWordJoiner;
        out += text[i];
    }
    return out;
}

KanaWordLabel::KanaWordLabel(QWidget* parent) : QLabel(parent)
{}

// Drawn as QLabel draws plain text, from the joined text.
void KanaWordLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    drawFrame(&painter);
    QRect area = contentsRect();
    area.adjust(margin(), margin(), -margin(), -margin());
    const int flags = QStyle::visualAlignment(layoutDirection(), alignment()) | (wordWrap() ? Qt::TextWordWrap : 0);
    style()->drawItemText(&painter, area, flags, palette(), isEnabled(), joinHalfwidthKanaWords(text()),
                          foregroundRole());
}

}  // namespace uFCom_Bas
