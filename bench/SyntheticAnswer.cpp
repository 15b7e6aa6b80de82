// SPDX-License-Identifier: GPL-3.0-or-later
#include "SyntheticAnswer.h"

#include <QRandomGenerator>

#include <algorithm>

namespace {

const char *const kWords[] = {"the",     "pivot",     "array",   "sorted", "partition", "element", "index", "value",
                              "returns", "recursion", "smaller", "larger", "left",      "right",   "each",  "call"};

QString codeLine(QRandomGenerator &random, int i)
{
    switch (random.bounded(6)) {
    case 0:
        return QStringLiteral("    if (items[%1] > pivot) { return %2.5; }").arg(i).arg(i * 3);
    case 1:
        return QStringLiteral("    // step %1: move the smaller values left").arg(i);
    case 2:
        return QStringLiteral("    const label = \"item %1 // not a comment\";").arg(i);
    case 3:
        return QStringLiteral("    for (let k = 0; k < %1; k++) swap(a, k, 'x');").arg(i);
    case 4:
        return QStringLiteral("# section %1 with a hash comment").arg(i);
    default:
        return QStringLiteral("    total += compute(a, b) * 0x%1;").arg(i, 0, 16);
    }
}

} // namespace

SyntheticAnswer makeSyntheticAnswer(int approximateTokens, int fragments, int codeLines)
{
    QRandomGenerator random(2026);
    QString text;
    const qsizetype target = qsizetype(approximateTokens) * 4;
    bool bigBlockDone = false;
    int paragraph = 0;
    while (text.size() < target) {
        ++paragraph;
        if (!bigBlockDone && text.size() > target * 2 / 5) {
            text += QStringLiteral("```javascript\n");
            for (int i = 0; i < codeLines; ++i)
                text += codeLine(random, i) + QLatin1Char('\n');
            text += QStringLiteral("```\n\n");
            bigBlockDone = true;
            continue;
        }
        if (paragraph % 9 == 0) {
            text += QStringLiteral("```py\n");
            for (int i = 0; i < 8; ++i)
                text += codeLine(random, i) + QLatin1Char('\n');
            text += QStringLiteral("```\n\n");
            continue;
        }
        if (paragraph % 5 == 0)
            text += QStringLiteral("## Step %1\n").arg(paragraph);
        const int sentences = 3 + random.bounded(5);
        for (int s = 0; s < sentences; ++s) {
            const int words = 6 + random.bounded(12);
            for (int w = 0; w < words; ++w) {
                QString word = QString::fromLatin1(kWords[random.bounded(int(std::size(kWords)))]);
                switch (random.bounded(20)) {
                case 0:
                    word = QStringLiteral("**") + word + QStringLiteral("**");
                    break;
                case 1:
                    word = QLatin1Char('*') + word + QLatin1Char('*');
                    break;
                case 2:
                    word = QLatin1Char('`') + word + QLatin1Char('`');
                    break;
                case 3:
                    word = QLatin1Char('[') + word + QStringLiteral("](https://example.org/") + word + QLatin1Char(')');
                    break;
                default:
                    break;
                }
                text += word + (w + 1 < words ? QStringLiteral(" ") : QStringLiteral(". "));
            }
            if (paragraph % 4 == 0)
                text += QStringLiteral("\n- ");
        }
        text += QStringLiteral("\n\n");
    }

    SyntheticAnswer answer;
    answer.text = text;
    // Cut points spread evenly with some jitter, so fragment sizes vary.
    const double step = double(text.size()) / fragments;
    qsizetype previous = 0;
    for (int i = 1; i <= fragments; ++i) {
        qsizetype cut = i == fragments
            ? text.size()
            : std::clamp<qsizetype>(qsizetype(i * step + random.bounded(-3, 4)), previous, text.size());
        answer.fragments.append(text.mid(previous, cut - previous));
        previous = cut;
    }
    return answer;
}

double percentile(QList<double> values, double fraction)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const qsizetype index = std::min(values.size() - 1, qsizetype(fraction * double(values.size())));
    return values.at(index);
}
