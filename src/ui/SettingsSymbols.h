// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QPixmap>
#include <QString>

// The symbols the settings window shows, pixelSize square: the launcher's
// shared ones ("bolt.leaf.fill", "exclamationmark.triangle.fill"), and the two
// only this window uses ("arrow.triangle.2.circlepath", "checkmark.circle.fill").
QPixmap settingsSymbol(const QString &name, int pixelSize, const QColor &color, qreal devicePixelRatio = 1.0);
