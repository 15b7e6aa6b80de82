// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

// Reads the text the user last highlighted in another application: the
// desktop's PRIMARY selection. When the launcher's button is pressed our own
// field has the focus, so asking the focused control would only ever quote
// ourselves. The clipboard is never read or changed.
class TextGrabber
{
public:
    TextGrabber() = delete;

    // No value when nothing is selected, the selection is ours, or it holds
    // only white space. Otherwise the text exactly as selected, untrimmed.
    static std::optional<QString> grabSelectedText();
};
