// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPalette>

// A whole application palette in the light or dark scheme, for desktops whose
// preference the toolkit's own palette does not follow.
QPalette schemePalette(bool dark);

// Whether a palette draws light text on a dark ground.
bool isDarkPalette(const QPalette &palette);
