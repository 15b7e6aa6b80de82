// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "text/SyntaxColoring.h"

#include <QByteArray>
#include <QList>

// One colour per UTF-16 code unit, painted rule by rule, read back as runs.
class SyntaxColorPainter
{
public:
    void resize(qsizetype size);
    qsizetype size() const { return m_colors.size(); }

    // Sets [from, size) back to Base.
    void clearFrom(qsizetype from);
    void paint(qsizetype start, qsizetype end, SyntaxColor color);

    // The maximal runs of non-Base colour that end after `from`; the first
    // may start before it.
    QList<SyntaxColorRun> runs(qsizetype from) const;

private:
    QByteArray m_colors;
};
