// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/SyntaxColorPainter.h"

#include <cstring>

void SyntaxColorPainter::resize(qsizetype size)
{
    const qsizetype old = m_colors.size();
    m_colors.resize(size);
    if (size > old)
        std::memset(m_colors.data() + old, int(SyntaxColor::Base), size - old);
}

void SyntaxColorPainter::clearFrom(qsizetype from)
{
    if (from < m_colors.size())
        std::memset(m_colors.data() + from, int(SyntaxColor::Base), m_colors.size() - from);
}

void SyntaxColorPainter::paint(qsizetype start, qsizetype end, SyntaxColor color)
{
    start = std::max<qsizetype>(start, 0);
    end = std::min(end, m_colors.size());
    if (start < end)
        std::memset(m_colors.data() + start, int(color), end - start);
}

QList<SyntaxColorRun> SyntaxColorPainter::runs(qsizetype from) const
{
    const char *colors = m_colors.constData();
    const qsizetype size = m_colors.size();
    qsizetype i = std::min(from, size);
    // Step back to the start of a run that reaches `from`.
    if (i > 0 && i < size && colors[i] != char(SyntaxColor::Base)) {
        while (i > 0 && colors[i - 1] == colors[i])
            --i;
    }
    QList<SyntaxColorRun> result;
    while (i < size) {
        const char color = colors[i];
        qsizetype end = i + 1;
        while (end < size && colors[end] == color)
            ++end;
        if (color != char(SyntaxColor::Base))
            result.append({i, end - i, SyntaxColor(color)});
        i = end;
    }
    return result;
}
