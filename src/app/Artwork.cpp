#include "app/Artwork.h"
#include "app/Fonts.h"
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace wf {

namespace {
// A folded sheet: the wren's wing and the pack's fold in one mark.
void drawMark(QPainter &p, const QRectF &r)
{
    QPainterPath sheet;
    sheet.moveTo(r.left(), r.top() + r.height() * 0.25);
    sheet.lineTo(r.left() + r.width() * 0.55, r.top());
    sheet.lineTo(r.right(), r.top() + r.height() * 0.35);
    sheet.lineTo(r.left() + r.width() * 0.45, r.bottom());
    sheet.closeSubpath();
    p.setPen(QPen(QColor(40, 40, 40), qMax(1.0, r.width() / 16)));
    p.setBrush(QColor(255, 215, 0));
    p.drawPath(sheet);
    p.setPen(QPen(QColor(160, 90, 20), qMax(1.0, r.width() / 20)));
    p.drawLine(QPointF(r.left() + r.width() * 0.55, r.top()),
               QPointF(r.left() + r.width() * 0.45, r.bottom()));
}
} // namespace

QPixmap bannerPixmap()
{
    QPixmap pm(213, 60);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 213, 60);
    g.setColorAt(0, QColor(30, 60, 110));
    g.setColorAt(1, QColor(10, 20, 45));
    p.fillRect(pm.rect(), g);
    drawMark(p, QRectF(8, 8, 44, 44));
    QFont title = uiFont("Verdana", 17, true);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QRectF(60, 6, 150, 30), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Wrenfold"));
    p.setFont(uiFont("Verdana", 7.5, false));
    p.setPen(QColor(255, 225, 120));
    p.drawText(QRectF(61, 34, 150, 18), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Game data packer"));
    return pm;
}

QImage iconImage(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // The outline grows with the size: a wider margin keeps it inside.
    const qreal margin = size <= 32 ? 1 : size / 20.0;
    drawMark(p, QRectF(margin, margin, size - 2 * margin, size - 2 * margin));
    p.end();
    return image;
}

QIcon windowIcon()
{
    QIcon icon;
    for (int size : {16, 32})
        icon.addPixmap(QPixmap::fromImage(iconImage(size)));
    return icon;
}

} // namespace wf
