// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/RoundedCard.h"

#include <QPainter>
#include <QPainterPath>

void paintRoundedCard(QPainter &painter, const QRectF &rect, qreal radius, std::initializer_list<QBrush> fills,
                      const QColor &outline)
{
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath card;
    card.addRoundedRect(outline.isValid() ? rect.adjusted(0.5, 0.5, -0.5, -0.5) : rect, radius, radius);
    for (const QBrush &fill : fills)
        painter.fillPath(card, fill);
    if (!outline.isValid())
        return;
    painter.setPen(QPen(outline, 1));
    painter.drawPath(card);
}
