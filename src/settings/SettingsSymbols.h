#pragma once

#include <QColor>
#include <QPixmap>
#include <QString>

// The symbols the settings window shows ("bolt.leaf.fill",
// "arrow.triangle.2.circlepath", "checkmark.circle.fill",
// "exclamationmark.triangle.fill"), pixelSize square.
QPixmap settingsSymbol(const QString &name, int pixelSize, const QColor &color, qreal devicePixelRatio = 1.0);
