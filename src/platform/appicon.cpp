#include "platform/appicon.h"

#include <QPainter>
#include <QPixmap>

namespace uFCom_Bas {

QIcon programIcon()
{
    static QIcon icon = []() {
        QIcon result;
        for (int size : {16, 32, 48}) {
            QPixmap pm(size, size);
            pm.fill(Qt::transparent);
            QPainter p(&pm);
            p.setRenderHint(QPainter::Antialiasing);
            p.setBrush(QColor(128, 255, 255));
            p.setPen(QPen(QColor(0, 0, 160), size / 16.0 + 0.5));
            p.drawRoundedRect(QRectF(1, 1, size - 2, size - 2), size / 6.0, size / 6.0);
            p.setBrush(QColor(0, 0, 255));
            p.setPen(Qt::NoPen);
            // A speech bubble: the program announces messages.
            p.drawEllipse(QRectF(size * 0.22, size * 0.25, size * 0.56, size * 0.38));
            QPolygonF tail;
            tail << QPointF(size * 0.35, size * 0.58) << QPointF(size * 0.3, size * 0.8)
                 << QPointF(size * 0.5, size * 0.6);
            p.drawPolygon(tail);
            p.end();
            result.addPixmap(pm);
        }
        return result;
    }();
    return icon;
}

}  // namespace uFCom_Bas
