// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/SettingsSymbols.h"

#include "ui/SymbolIcon.h"

#include <QPainter>

namespace {

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

// A green disc with the shared check glyph cut in white.
void drawCheckmarkDisc(QPainter &painter, qreal side, const QColor &color, qreal devicePixelRatio)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawEllipse(QRectF(0, 0, side, side));
    const qreal inset = side * 0.22;
    const QPixmap check = symbolPixmap(QStringLiteral("checkmark"), qRound((side - 2 * inset) / devicePixelRatio),
                                       Qt::white, devicePixelRatio);
    painter.drawPixmap(QRectF(inset, inset, side - 2 * inset, side - 2 * inset), check, QRectF(check.rect()));
}

} // namespace

QPixmap settingsSymbol(const QString &name, int pixelSize, const QColor &color, qreal devicePixelRatio)
{
    if (name == QLatin1String("bolt.leaf.fill"))
        return brandMarkPixmap(pixelSize, 1.0, devicePixelRatio);
    if (hasSymbol(name))
        return symbolPixmap(name, pixelSize, color, devicePixelRatio);
    const int side = qMax(1, qRound(pixelSize * devicePixelRatio));
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    if (name == QLatin1String("arrow.triangle.2.circlepath"))
        drawRefresh(painter, side, color);
    else if (name == QLatin1String("checkmark.circle.fill"))
        drawCheckmarkDisc(painter, side, color, devicePixelRatio);
    painter.end();
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}
