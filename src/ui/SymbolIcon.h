// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>

// The platform symbol names used by the launcher, drawn from the vendored SVG
// set. "*.circle.fill" symbols are a filled disc with the glyph cut in a second
// colour (palette mode); plain symbols are stroked in one colour.
QIcon symbolIcon(const QString &symbolName, const QColor &color);
QPixmap symbolPixmap(const QString &symbolName, int pointSize, const QColor &color, qreal devicePixelRatio = 1.0,
                     const QColor &glyphColor = Qt::white);
bool hasSymbol(const QString &symbolName);

// The brand mark: a bolt painted with the green-to-yellow gradient.
QPixmap brandMarkPixmap(int pointSize, qreal opacity = 1.0, qreal devicePixelRatio = 1.0);
