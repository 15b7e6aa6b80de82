// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/FenceLine.h"

namespace FenceLine {

namespace {

bool isNarrowSpace(QChar c)
{
    return c == QLatin1Char('\t') || c.category() == QChar::Separator_Space;
}

} // namespace

QString language(QStringView fenceLine)
{
    QStringView rest = fenceLine.mid(3);
    while (!rest.isEmpty() && isNarrowSpace(rest.front()))
        rest = rest.mid(1);
    while (!rest.isEmpty() && isNarrowSpace(rest.back()))
        rest.chop(1);
    return rest.toString();
}

} // namespace FenceLine
