// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QBrush>
#include <QColor>

#include <initializer_list>

class QPainter;
class QRectF;

// The launcher's cards: a rounded rectangle filled with each brush in turn
// and, when an outline colour is given, a 1 px border kept on whole pixels.
// Leaves the painter antialiased.
void paintRoundedCard(QPainter &painter, const QRectF &rect, qreal radius, std::initializer_list<QBrush> fills,
                      const QColor &outline = QColor());
