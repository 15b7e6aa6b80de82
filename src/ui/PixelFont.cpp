// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/PixelFont.h"

#include <QWidget>

QFont pixelFont(QFont font, int pixelSize, std::optional<QFont::Weight> weight)
{
    font.setPixelSize(pixelSize);
    if (weight)
        font.setWeight(*weight);
    return font;
}

void usePixelFont(QWidget *widget, int pixelSize, std::optional<QFont::Weight> weight)
{
    widget->setFont(pixelFont(widget->font(), pixelSize, weight));
}
