#include "app/Artwork.h"

#include <QFont>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {
qreal deviceRatio()
{
    return qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
}

QPixmap blank(const QSize &size)
{
    const qreal ratio = deviceRatio();
    QPixmap pixmap(size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// The mark on a 100 x 100 canvas: a rounded tile, two panes, and two arrows
// between them, one each way.
void paintMark(QPainter &p, const QRectF &target)
{
    p.save();
    p.translate(target.topLeft());
    p.scale(target.width() / 100.0, target.height() / 100.0);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient tile(0, 0, 0, 100);
    tile.setColorAt(0, QColor(0x2f, 0x80, 0xed));
    tile.setColorAt(1, QColor(0x1b, 0x4f, 0x9c));
    p.setPen(Qt::NoPen);
    p.setBrush(tile);
    p.drawRoundedRect(QRectF(4, 4, 92, 92), 20, 20);

    p.setBrush(QColor(255, 255, 255, 235));
    p.drawRoundedRect(QRectF(16, 22, 26, 56), 5, 5);
    p.drawRoundedRect(QRectF(58, 22, 26, 56), 5, 5);

    p.setBrush(QColor(0x1b, 0x4f, 0x9c, 90));
    for (int line = 0; line < 4; ++line) {
        p.drawRect(QRectF(21, 31 + line * 11, 16, 3));
        p.drawRect(QRectF(63, 31 + line * 11, 16, 3));
    }

    QPen arrow(QColor(0xff, 0xc1, 0x07), 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(arrow);
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(40, 40), QPointF(60, 40));
    p.drawPolyline(QPolygonF({QPointF(54, 34), QPointF(60, 40), QPointF(54, 46)}));
    p.drawLine(QPointF(60, 60), QPointF(40, 60));
    p.drawPolyline(QPolygonF({QPointF(46, 54), QPointF(40, 60), QPointF(46, 66)}));
    p.restore();
}
} // namespace

QPixmap Artwork::logo(int size)
{
    QPixmap pixmap = blank(QSize(size, size));
    QPainter p(&pixmap);
    paintMark(p, QRectF(0, 0, size, size));
    return pixmap;
}

QIcon Artwork::windowIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(logo(size));
    return icon;
}

QPixmap Artwork::splashPicture(const QSize &size)
{
    QPixmap pixmap = blank(size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QRectF area(QPointF(0, 0), QSizeF(size));

    QLinearGradient sky(area.topLeft(), area.bottomRight());
    sky.setColorAt(0, QColor(0x0f, 0x25, 0x4a));
    sky.setColorAt(1, QColor(0x13, 0x6f, 0x8c));
    p.fillRect(area, sky);

    // Faint wide arcs, like signal waves leaving the mark.
    p.setPen(QPen(QColor(255, 255, 255, 22), 2));
    const QPointF centre(area.width() * 0.22, area.height() * 0.45);
    for (int ring = 1; ring <= 6; ++ring) {
        const qreal r = ring * area.height() * 0.16;
        p.drawEllipse(centre, r, r);
    }

    const qreal markSize = area.height() * 0.36;
    paintMark(p, QRectF(centre.x() - markSize / 2, centre.y() - markSize / 2, markSize, markSize));

    QFont title = p.font();
    title.setPixelSize(int(area.height() * 0.2));
    title.setBold(true);
    p.setFont(title);
    p.setPen(Qt::white);
    const QRectF titleBox(area.width() * 0.42, area.height() * 0.22, area.width() * 0.55,
                          area.height() * 0.26);
    p.drawText(titleBox, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Korvu"));

    QFont subtitle = p.font();
    subtitle.setPixelSize(int(area.height() * 0.075));
    subtitle.setBold(false);
    p.setFont(subtitle);
    p.setPen(QColor(255, 255, 255, 210));
    const QRectF subtitleBox(titleBox.left(), titleBox.bottom(), titleBox.width(),
                             area.height() * 0.14);
    p.drawText(subtitleBox, Qt::AlignLeft | Qt::AlignTop, QStringLiteral("双窗格 FTP 客户端"));

    p.setPen(QPen(QColor(0xff, 0xc1, 0x07), 3));
    p.drawLine(QPointF(titleBox.left(), subtitleBox.bottom()),
               QPointF(titleBox.left() + area.width() * 0.2, subtitleBox.bottom()));
    return pixmap;
}
