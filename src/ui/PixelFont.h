// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>

#include <optional>

class QWidget;

// The launcher and Settings size text in pixels, as their layouts are.
// Without a weight the font keeps its own.
QFont pixelFont(QFont font, int pixelSize, std::optional<QFont::Weight> weight = std::nullopt);
void usePixelFont(QWidget *widget, int pixelSize, std::optional<QFont::Weight> weight = std::nullopt);
