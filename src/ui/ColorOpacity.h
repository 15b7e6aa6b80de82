// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>

// A copy of the colour with its opacity multiplied: a translucent colour stays
// proportionally fainter, an opaque one gets exactly this opacity.
inline QColor withOpacity(QColor color, qreal opacity)
{
    color.setAlphaF(color.alphaF() * opacity);
    return color;
}
