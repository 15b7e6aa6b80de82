// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringView>

// Reading one line of a message for code fences.
namespace FenceLine {

// Three backticks at the very start of the line.
inline bool isFence(QStringView line)
{
    return line.startsWith(QLatin1String("```"));
}

// The rest of a fence line after the first three backticks, trimmed of
// spaces and tabs (not of line breaks).
QString language(QStringView fenceLine);

// A line that a "\r\n" ended, without its "\r".
inline QStringView withoutCarriageReturn(QStringView line)
{
    return line.endsWith(QLatin1Char('\r')) ? line.chopped(1) : line;
}

} // namespace FenceLine
