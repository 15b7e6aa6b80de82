// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

// "/name rest of text" at the start of a prompt: the preset's name and what
// was typed after it. Anything else (no slash first, a name with other
// characters, such as a path) is not an invocation.
struct PresetInvocation
{
    QString name;
    QString input;

    static std::optional<PresetInvocation> parse(const QString &typed);
};
