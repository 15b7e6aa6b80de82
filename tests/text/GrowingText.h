// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// A text as a stream delivers it: from the empty text, `size` code units more
// each time, the whole text last.
inline QStringList prefixesOf(const QString &text, int size)
{
    QStringList prefixes;
    for (qsizetype end = 0; end < text.size(); end += size)
        prefixes.append(text.left(end));
    prefixes.append(text);
    return prefixes;
}
