// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/MathDelimiters.h"

namespace {

// Longer runs between dollars are prose: bounds the reading of text full of prices.
constexpr qsizetype kMaxFormulaLength = 4096;

bool isSpace(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r');
}

// "$5 " or "$3.50," : a sum of money, not the start of a formula.
bool startsAmount(QStringView text, qsizetype at)
{
    qsizetype i = at;
    while (i < text.size()
           && (text.at(i).isDigit() || text.at(i) == QLatin1Char('.') || text.at(i) == QLatin1Char(',')))
        ++i;
    return i > at && (i == text.size() || isSpace(text.at(i)) || text.at(i).isPunct());
}

// The closing delimiter after `from`, outside braces and escapes; -1 when none.
qsizetype findCloser(QStringView text, qsizetype from, QStringView closer, bool inlineDollar)
{
    int depth = 0;
    bool lineWasBlank = false;
    const qsizetype end = qMin(text.size(), from + kMaxFormulaLength);
    for (qsizetype i = from; i < end; ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('`'))
            return -1;
        if (c == QLatin1Char('\n')) {
            if (lineWasBlank)
                return -1;
            lineWasBlank = true;
            continue;
        }
        if (!isSpace(c))
            lineWasBlank = false;
        if (depth == 0 && text.sliced(i).startsWith(closer)) {
            if (!inlineDollar)
                return i;
            const bool afterSpace = isSpace(text.at(i - 1));
            const bool beforeDigit = i + 1 < text.size() && text.at(i + 1).isDigit();
            if (!afterSpace && !beforeDigit && i > from)
                return i;
        }
        if (c == QLatin1Char('\\')) {
            ++i;
        } else if (c == QLatin1Char('{')) {
            ++depth;
        } else if (c == QLatin1Char('}') && depth > 0) {
            --depth;
        }
    }
    return -1;
}

} // namespace

namespace {

struct Opener
{
    QStringView closer;
    qsizetype length = 0;
    bool display = false;
    bool inlineDollar = false;
};

// The delimiter opening a formula at `at`, if one can open there.
bool readOpener(QStringView text, qsizetype at, Opener *opener)
{
    const QStringView rest = text.sliced(at);
    if (rest.startsWith(u"$$")) {
        *opener = {u"$$", 2, true, false};
    } else if (rest.startsWith(u"$")) {
        if (at + 1 >= text.size() || isSpace(text.at(at + 1)) || startsAmount(text, at + 1))
            return false;
        *opener = {u"$", 1, false, true};
    } else if (rest.startsWith(u"\\(")) {
        *opener = {u"\\)", 2, false, false};
    } else if (rest.startsWith(u"\\[")) {
        *opener = {u"\\]", 2, true, false};
    } else {
        return false;
    }
    return true;
}

} // namespace

bool readMathSpan(QStringView text, qsizetype at, MathSpan *span)
{
    Opener opener;
    if (!readOpener(text, at, &opener))
        return false;
    const qsizetype texStart = at + opener.length;
    const qsizetype close = findCloser(text, texStart, opener.closer, opener.inlineDollar);
    if (close < 0 || text.sliced(texStart, close - texStart).trimmed().isEmpty())
        return false;
    *span = {at, close + opener.closer.size(), texStart, close, opener.display};
    return true;
}

qsizetype mathSafeCut(QStringView text, qsizetype from, qsizetype at)
{
    for (qsizetype i = from; i < at; ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('$') && c != QLatin1Char('\\'))
            continue;
        MathSpan span;
        Opener opener;
        if (readMathSpan(text, i, &span)) {
            if (span.end > at)
                return span.end;
            i = span.end - 1;
        } else if (readOpener(text, i, &opener)) {
            // Not closed yet, but it may be once more text comes.
            if (text.size() - i < kMaxFormulaLength)
                return text.size();
        } else if (c == QLatin1Char('\\')) {
            ++i; // an escape
        }
    }
    return at;
}

QStringView mathSourceTex(QStringView source)
{
    const qsizetype open = source.startsWith(u"$$") || source.startsWith(u"\\") ? 2 : source.startsWith(u"$") ? 1 : 0;
    return source.size() >= 2 * open ? source.sliced(open, source.size() - 2 * open) : source;
}
