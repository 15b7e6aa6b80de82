// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/ContentSegment.h"

#include "text/FenceLine.h"

QList<ContentSegment> parseContentSegments(const QString &text)
{
    QList<ContentSegment> segments;
    QStringList prose;
    QStringList code;
    QString lang;
    bool inCode = false;

    const auto flushProse = [&] {
        if (!prose.isEmpty())
            segments.append(ContentSegment::makeText(prose.join(QLatin1Char('\n'))));
        prose.clear();
    };

    const QList<QStringView> lines = QStringView(text).split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QStringView line = i + 1 < lines.size() ? FenceLine::withoutCarriageReturn(lines.at(i)) : lines.at(i);
        if (FenceLine::isFence(line)) {
            if (inCode) {
                flushProse();
                segments.append(ContentSegment::makeCode(lang, code.join(QLatin1Char('\n'))));
                code.clear();
                lang.clear();
                inCode = false;
            } else {
                flushProse();
                lang = FenceLine::language(line);
                inCode = true;
            }
        } else if (inCode) {
            code.append(line.toString());
        } else {
            prose.append(line.toString());
        }
    }
    flushProse();
    if (!code.isEmpty())
        segments.append(ContentSegment::makeCode(lang, code.join(QLatin1Char('\n'))));
    return segments;
}
