// SPDX-License-Identifier: GPL-3.0-or-later
#include "content/FormulaText.h"

#include "content/FormulaObject.h"

#include <QTextBlock>
#include <QTextDocument>

QString formulaAwareText(const QTextDocument *document, int from, int to, int continuationProperty)
{
    QString text;
    for (QTextBlock block = document->findBlock(from); block.isValid() && block.position() <= to;
         block = block.next()) {
        if (block.position() > from
            && !(continuationProperty && block.blockFormat().boolProperty(continuationProperty)))
            text += QLatin1Char('\n');
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const int start = qMax(from, fragment.position());
            const int end = qMin(to, fragment.position() + fragment.length());
            if (start >= end)
                continue;
            const QTextCharFormat format = fragment.charFormat();
            if (format.objectType() == FormulaObject::kObjectType)
                text += format.stringProperty(FormulaObject::kSourceProperty).repeated(end - start);
            else
                text += QStringView(fragment.text()).sliced(start - fragment.position(), end - start);
        }
    }
    for (QChar &c : text) {
        if (c == QChar::LineSeparator)
            c = QLatin1Char('\n');
        else if (c == QChar::Nbsp)
            c = QLatin1Char(' ');
    }
    return text;
}
