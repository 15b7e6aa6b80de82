#include "settings/SettingsSymbols.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

void drawBolt(QPainter &painter, qreal side)
{
    QPainterPath bolt;
    const QPointF points[] = {{0.56, 0.04}, {0.14, 0.58}, {0.47, 0.58}, {0.40, 0.96},
                              {0.86, 0.40}, {0.53, 0.40}, {0.56, 0.04}};
    bolt.moveTo(points[0] * side);
    for (const QPointF &point : points)
        bolt.lineTo(point * side);
    QLinearGradient gradient(0, 0, side, side);
    gradient.setColorAt(0, QColor(52, 199, 89));
    gradient.setColorAt(1, QColor(255, 204, 0));
    painter.fillPath(bolt, gradient);
}

void drawRefresh(QPainter &painter, qreal side, const QColor &color)
{
    QPen pen(color, side / 10.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(pen);
    const QRectF ring(side * 0.18, side * 0.18, side * 0.64, side * 0.64);
    painter.drawArc(ring, 30 * 16, 140 * 16);
    painter.drawArc(ring, 210 * 16, 140 * 16);
    // Arrow heads at the end of each arc.
    const qreal r = side * 0.12;
    const QPointF top(side * 0.5 - ring.width() / 2 * 0.866, side * 0.5 - ring.height() / 2 * 0.5);
    const QPointF bottom(side - top.x(), side - top.y());
    painter.drawPolyline(QPolygonF{top + QPointF(-r, -r * 0.2), top, top + QPointF(r * 0.3, -r)});
    painter.drawPolyline(QPolygonF{bottom + QPointF(r, r * 0.2), bottom, bottom + QPointF(-r * 0.3, r)});
}

void drawCheckmarkDisc(QPainter &painter, qreal side, const QColor &color)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawEllipse(QRectF(0, 0, side, side));
    painter.setPen(QPen(Qt::white, side / 9.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPolyline(QPolygonF{QPointF(0.28, 0.52) * side, QPointF(0.44, 0.68) * side, QPointF(0.72, 0.36) * side});
}

void drawWarning(QPainter &painter, qreal side, const QColor &color)
{
    QPainterPath triangle;
    triangle.moveTo(side * 0.5, side * 0.06);
    triangle.lineTo(side * 0.96, side * 0.9);
    triangle.lineTo(side * 0.04, side * 0.9);
    triangle.closeSubpath();
    painter.fillPath(triangle, color);
    painter.setPen(QPen(Qt::white, side / 9.0, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(side * 0.5, side * 0.36), QPointF(side * 0.5, side * 0.6));
    painter.drawPoint(QPointF(side * 0.5, side * 0.76));
}

} // namespace

QPixmap settingsSymbol(const QString &name, int pixelSize, const QColor &color, qreal devicePixelRatio)
{
    const int side = qMax(1, qRound(pixelSize * devicePixelRatio));
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    if (name == QLatin1String("bolt.leaf.fill"))
        drawBolt(painter, side);
    else if (name == QLatin1String("arrow.triangle.2.circlepath"))
        drawRefresh(painter, side, color);
    else if (name == QLatin1String("checkmark.circle.fill"))
        drawCheckmarkDisc(painter, side, color);
    else if (name == QLatin1String("exclamationmark.triangle.fill"))
        drawWarning(painter, side, color);
    painter.end();
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}
