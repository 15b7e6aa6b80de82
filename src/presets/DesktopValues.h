// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "presets/PresetTemplate.h"

// The values a template is filled with at this moment: the highlighted text
// (read as the quote button reads it), the clipboard's text and today's date.
// Without a display (a command run from a console) both texts are empty.
TemplateValues desktopValues(const QString &input);
