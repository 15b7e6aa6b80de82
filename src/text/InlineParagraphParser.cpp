// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/InlineParagraphParser.h"

#include "text/MathDelimiters.h"

#include <QHash>

#include <algorithm>
#include <array>
#include <vector>

namespace {

constexpr qsizetype kNone = -1;

bool isAsciiPunctuation(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0x21 && u <= 0x2F) || (u >= 0x3A && u <= 0x40) || (u >= 0x5B && u <= 0x60) || (u >= 0x7B && u <= 0x7E);
}

bool isPunctuation(QChar c)
{
    return c.unicode() < 128 ? isAsciiPunctuation(c) : (c.isPunct() || c.isSymbol());
}

bool isSpecial(QChar c)
{
    switch (c.unicode()) {
    case '\\':
    case '`':
    case '$':
    case '*':
    case '_':
    case '~':
    case '[':
    case ']':
    case '!':
    case '<':
        return true;
    default:
        return false;
    }
}

struct Node
{
    QString text;
    QString link;
    InlineStyles styles;
};

// A run of *, _ or ~ that may open or close, in a list in text order.
struct Delimiter
{
    qsizetype node;
    QChar marker;
    qsizetype length;
    qsizetype originalLength;
    bool canOpen;
    bool canClose;
    qsizetype previous = kNone;
    qsizetype next = kNone;
};

struct Bracket
{
    qsizetype node; // the "[" node
    qsizetype bang; // the "!" node of an image, or kNone
    qsizetype delimiterBottom;
    bool active = true;
};

struct Span
{
    qsizetype first; // node range, inclusive
    qsizetype last;
    InlineStyle style;
};

class ParagraphParser
{
public:
    explicit ParagraphParser(QStringView text)
        : m_text(text)
    {
    }

    QList<InlineRun> parse();

private:
    void appendText(QStringView text);
    qsizetype appendNode(Node node);
    qsizetype readBackticks(qsizetype at);
    qsizetype readDelimiterRun(qsizetype at);
    qsizetype readCloseBracket(qsizetype at);
    qsizetype readAutolink(qsizetype at);
    qsizetype readMath(qsizetype at);
    qsizetype readLinkTail(qsizetype at, QString *target) const;
    void processEmphasis(qsizetype bottom);
    void removeDelimiter(qsizetype index);
    QList<InlineRun> collect() const;

    const QStringView m_text;
    std::vector<Node> m_nodes;
    bool m_textOpen = false; // the last node takes more plain text
    std::vector<Delimiter> m_delimiters;
    qsizetype m_lastDelimiter = kNone;
    std::vector<Bracket> m_brackets;
    std::vector<Span> m_spans;
    std::vector<std::pair<Span, QString>> m_links;
    QHash<qsizetype, std::vector<qsizetype>> m_backtickRuns; // length -> starts
    bool m_backticksIndexed = false;
};

void ParagraphParser::appendText(QStringView text)
{
    if (text.isEmpty())
        return;
    if (m_textOpen) {
        m_nodes.back().text.append(text);
        return;
    }
    m_nodes.push_back({text.toString(), {}, {}});
    m_textOpen = true;
}

qsizetype ParagraphParser::appendNode(Node node)
{
    m_nodes.push_back(std::move(node));
    m_textOpen = false;
    return qsizetype(m_nodes.size()) - 1;
}

// A code span runs to the next backtick run of the same length.
qsizetype ParagraphParser::readBackticks(qsizetype at)
{
    qsizetype end = at;
    while (end < m_text.size() && m_text.at(end) == QLatin1Char('`'))
        ++end;
    const qsizetype length = end - at;
    if (!m_backticksIndexed) {
        for (qsizetype i = 0; i < m_text.size();) {
            if (m_text.at(i) != QLatin1Char('`')) {
                ++i;
                continue;
            }
            qsizetype j = i;
            while (j < m_text.size() && m_text.at(j) == QLatin1Char('`'))
                ++j;
            m_backtickRuns[j - i].push_back(i);
            i = j;
        }
        m_backticksIndexed = true;
    }
    const auto found = m_backtickRuns.constFind(length);
    if (found != m_backtickRuns.cend()) {
        const auto closer = std::lower_bound(found->cbegin(), found->cend(), end);
        if (closer != found->cend()) {
            QStringView content = m_text.sliced(end, *closer - end);
            const bool allSpaces =
                std::all_of(content.begin(), content.end(), [](QChar c) { return c == QLatin1Char(' '); });
            if (content.size() >= 2 && !allSpaces && content.front() == QLatin1Char(' ')
                && content.back() == QLatin1Char(' '))
                content = content.sliced(1, content.size() - 2);
            appendNode({content.toString(), {}, InlineStyle::Code});
            return *closer + length;
        }
    }
    appendText(m_text.sliced(at, length));
    return end;
}

qsizetype ParagraphParser::readDelimiterRun(qsizetype at)
{
    const QChar marker = m_text.at(at);
    qsizetype end = at;
    while (end < m_text.size() && m_text.at(end) == marker)
        ++end;
    const qsizetype length = end - at;
    if (marker == QLatin1Char('~') && length > 2) {
        appendText(m_text.sliced(at, length));
        return end;
    }
    // The ends of the paragraph count as white space.
    const QChar before = at > 0 ? m_text.at(at - 1) : QChar(u'\n');
    const QChar after = end < m_text.size() ? m_text.at(end) : QChar(u'\n');
    const bool leftFlanking = !after.isSpace() && (!isPunctuation(after) || before.isSpace() || isPunctuation(before));
    const bool rightFlanking = !before.isSpace() && (!isPunctuation(before) || after.isSpace() || isPunctuation(after));
    bool canOpen = leftFlanking;
    bool canClose = rightFlanking;
    if (marker == QLatin1Char('_')) {
        canOpen = leftFlanking && (!rightFlanking || isPunctuation(before));
        canClose = rightFlanking && (!leftFlanking || isPunctuation(after));
    }
    const qsizetype node = appendNode({m_text.sliced(at, length).toString(), {}, {}});
    Delimiter delimiter{node, marker, length, length, canOpen, canClose};
    delimiter.previous = m_lastDelimiter;
    m_delimiters.push_back(delimiter);
    const qsizetype index = qsizetype(m_delimiters.size()) - 1;
    if (m_lastDelimiter != kNone)
        m_delimiters[m_lastDelimiter].next = index;
    m_lastDelimiter = index;
    return end;
}

void ParagraphParser::removeDelimiter(qsizetype index)
{
    Delimiter &d = m_delimiters[index];
    if (d.previous != kNone)
        m_delimiters[d.previous].next = d.next;
    if (d.next != kNone)
        m_delimiters[d.next].previous = d.previous;
    else
        m_lastDelimiter = d.previous;
}

// Delimiters are numbered in text order, so "below" is a smaller index.
void ParagraphParser::processEmphasis(qsizetype bottom)
{
    std::array<qsizetype, 3 * 2 * 3> openersBottom;
    openersBottom.fill(bottom);
    const auto slot = [](const Delimiter &d) {
        const int marker = d.marker == QLatin1Char('*') ? 0 : d.marker == QLatin1Char('_') ? 1 : 2;
        return (marker * 2 + (d.canOpen ? 1 : 0)) * 3 + int(d.originalLength % 3);
    };

    // The first delimiter above the bottom (which itself may be gone).
    qsizetype current = m_lastDelimiter > bottom ? m_lastDelimiter : kNone;
    while (current != kNone && m_delimiters[current].previous > bottom)
        current = m_delimiters[current].previous;
    while (current != kNone) {
        Delimiter &closer = m_delimiters[current];
        if (!closer.canClose) {
            current = closer.next;
            continue;
        }
        const qsizetype floor = std::max(bottom, openersBottom[slot(closer)]);
        qsizetype opener = closer.previous;
        bool found = false;
        for (; opener != kNone && opener > floor; opener = m_delimiters[opener].previous) {
            const Delimiter &o = m_delimiters[opener];
            if (o.marker != closer.marker || !o.canOpen)
                continue;
            if (closer.marker == QLatin1Char('~')) {
                if (o.length != closer.length)
                    continue;
            } else if ((o.canClose || closer.canOpen) && (o.originalLength + closer.originalLength) % 3 == 0
                       && !(o.originalLength % 3 == 0 && closer.originalLength % 3 == 0)) {
                continue;
            }
            found = true;
            break;
        }
        if (!found) {
            openersBottom[slot(closer)] = closer.previous;
            const qsizetype next = closer.next;
            if (!closer.canOpen)
                removeDelimiter(current);
            current = next;
            continue;
        }

        Delimiter &o = m_delimiters[opener];
        const qsizetype used =
            closer.marker == QLatin1Char('~') ? closer.length : (o.length >= 2 && closer.length >= 2 ? 2 : 1);
        const InlineStyle style = closer.marker == QLatin1Char('~') ? InlineStyle::Strikethrough
            : used == 2                                             ? InlineStyle::Strong
                                                                    : InlineStyle::Emphasis;
        o.length -= used;
        closer.length -= used;
        m_nodes[o.node].text.chop(used);
        m_nodes[closer.node].text.remove(0, used);
        if (o.node + 1 <= closer.node - 1)
            m_spans.push_back({o.node + 1, closer.node - 1, style});
        for (qsizetype d = o.next; d != current;) {
            const qsizetype next = m_delimiters[d].next;
            removeDelimiter(d);
            d = next;
        }
        if (o.length == 0)
            removeDelimiter(opener);
        if (closer.length == 0) {
            const qsizetype next = closer.next;
            removeDelimiter(current);
            current = next;
        }
    }
    while (m_lastDelimiter != kNone && m_lastDelimiter > bottom)
        removeDelimiter(m_lastDelimiter);
}

// "(destination "title")" after a "]"; returns the end, or kNone.
qsizetype ParagraphParser::readLinkTail(qsizetype at, QString *target) const
{
    const qsizetype size = m_text.size();
    const auto skipSpace = [&](qsizetype i) {
        while (i < size && m_text.at(i).isSpace())
            ++i;
        return i;
    };
    if (at >= size || m_text.at(at) != QLatin1Char('('))
        return kNone;
    qsizetype i = skipSpace(at + 1);
    QString destination;
    if (i < size && m_text.at(i) == QLatin1Char('<')) {
        for (++i;; ++i) {
            if (i >= size || m_text.at(i) == QLatin1Char('\n') || m_text.at(i) == QLatin1Char('<'))
                return kNone;
            const QChar c = m_text.at(i);
            if (c == QLatin1Char('>')) {
                ++i;
                break;
            }
            if (c == QLatin1Char('\\') && i + 1 < size && isAsciiPunctuation(m_text.at(i + 1)))
                ++i;
            destination.append(m_text.at(i));
        }
    } else {
        int depth = 0;
        for (; i < size; ++i) {
            const QChar c = m_text.at(i);
            if (c.isSpace() || c.category() == QChar::Other_Control)
                break;
            if (c == QLatin1Char('\\') && i + 1 < size && isAsciiPunctuation(m_text.at(i + 1))) {
                destination.append(m_text.at(++i));
                continue;
            }
            // Deeper nesting is no destination; without a limit, text full of "](("
            // would be read over and over.
            if (c == QLatin1Char('(') && ++depth > 32)
                return kNone;
            if (c == QLatin1Char(')') && depth-- == 0)
                break;
            destination.append(c);
        }
        if (depth > 0)
            return kNone;
    }
    const qsizetype afterDestination = i;
    i = skipSpace(i);
    if (i < size && i > afterDestination && m_text.at(i) != QLatin1Char(')')) {
        const QChar open = m_text.at(i);
        const QChar close = open == QLatin1Char('(') ? QChar(u')') : open;
        if (open != QLatin1Char('"') && open != QLatin1Char('\'') && open != QLatin1Char('('))
            return kNone;
        for (++i;; ++i) {
            if (i >= size)
                return kNone;
            const QChar c = m_text.at(i);
            if (c == QLatin1Char('\\') && i + 1 < size) {
                ++i;
                continue;
            }
            if (c == close)
                break;
            if (open == QLatin1Char('(') && c == QLatin1Char('('))
                return kNone;
        }
        i = skipSpace(i + 1);
    }
    if (i >= size || m_text.at(i) != QLatin1Char(')'))
        return kNone;
    *target = destination;
    return i + 1;
}

qsizetype ParagraphParser::readCloseBracket(qsizetype at)
{
    if (m_brackets.empty()) {
        appendText(m_text.sliced(at, 1));
        return at + 1;
    }
    const Bracket bracket = m_brackets.back();
    QString target;
    const qsizetype end = bracket.active ? readLinkTail(at + 1, &target) : kNone;
    m_brackets.pop_back();
    if (end == kNone) {
        appendText(m_text.sliced(at, 1));
        return at + 1;
    }
    processEmphasis(bracket.delimiterBottom);
    m_nodes[bracket.node].text.clear();
    if (bracket.bang != kNone)
        m_nodes[bracket.bang].text.clear();
    const qsizetype last = qsizetype(m_nodes.size()) - 1;
    if (bracket.node + 1 <= last)
        m_links.push_back({{bracket.node + 1, last, InlineStyle::Link}, target});
    // No link inside a link: the brackets before this one can no longer open one.
    for (Bracket &earlier : m_brackets)
        earlier.active = false;
    m_textOpen = false;
    return end;
}

// <scheme:target>
qsizetype ParagraphParser::readAutolink(qsizetype at)
{
    const qsizetype size = m_text.size();
    qsizetype i = at + 1;
    const auto isAsciiLetter = [](QChar c) {
        return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
    };
    if (i >= size || !isAsciiLetter(m_text.at(i)))
        return kNone;
    const qsizetype schemeStart = i;
    while (i < size
           && (isAsciiLetter(m_text.at(i)) || m_text.at(i).isDigit() || m_text.at(i) == QLatin1Char('+')
               || m_text.at(i) == QLatin1Char('.') || m_text.at(i) == QLatin1Char('-')))
        ++i;
    if (i - schemeStart < 2 || i - schemeStart > 32 || i >= size || m_text.at(i) != QLatin1Char(':'))
        return kNone;
    for (; i < size; ++i) {
        const QChar c = m_text.at(i);
        if (c == QLatin1Char('>')) {
            const QString uri = m_text.sliced(at + 1, i - at - 1).toString();
            appendNode({uri, uri, InlineStyle::Link});
            return i + 1;
        }
        if (c.isSpace() || c == QLatin1Char('<') || c.category() == QChar::Other_Control)
            return kNone;
    }
    return kNone;
}

// A formula is one object character; the run keeps its source for the renderer and for copying.
qsizetype ParagraphParser::readMath(qsizetype at)
{
    MathSpan span;
    if (!readMathSpan(m_text, at, &span))
        return kNone;
    const InlineStyles styles =
        span.display ? InlineStyle::Math | InlineStyle::DisplayMath : InlineStyles(InlineStyle::Math);
    appendNode({QString(QChar::ObjectReplacementCharacter), span.source(m_text).toString(), styles});
    return span.end;
}

QList<InlineRun> ParagraphParser::parse()
{
    const qsizetype size = m_text.size();
    qsizetype i = 0;
    while (i < size) {
        const QChar c = m_text.at(i);
        switch (c.unicode()) {
        case '\\':
            if (const qsizetype end = readMath(i); end != kNone) {
                i = end;
            } else if (i + 1 < size && isAsciiPunctuation(m_text.at(i + 1))) {
                appendText(m_text.sliced(i + 1, 1));
                i += 2;
            } else if (i + 1 < size && m_text.at(i + 1) == QLatin1Char('\n')) {
                appendText(m_text.sliced(i + 1, 1)); // a hard line break: the break stays
                i += 2;
            } else {
                appendText(m_text.sliced(i, 1));
                ++i;
            }
            break;
        case '`':
            i = readBackticks(i);
            break;
        case '$':
            if (const qsizetype end = readMath(i); end != kNone) {
                i = end;
            } else {
                appendText(m_text.sliced(i, 1));
                ++i;
            }
            break;
        case '*':
        case '_':
        case '~':
            i = readDelimiterRun(i);
            break;
        case '!':
            if (i + 1 < size && m_text.at(i + 1) == QLatin1Char('[')) {
                const qsizetype bang = appendNode({QStringLiteral("!"), {}, {}});
                const qsizetype node = appendNode({QStringLiteral("["), {}, {}});
                m_brackets.push_back({node, bang, m_lastDelimiter});
                i += 2;
            } else {
                appendText(m_text.sliced(i, 1));
                ++i;
            }
            break;
        case '[': {
            const qsizetype node = appendNode({QStringLiteral("["), {}, {}});
            m_brackets.push_back({node, kNone, m_lastDelimiter});
            ++i;
            break;
        }
        case ']':
            i = readCloseBracket(i);
            break;
        case '<': {
            const qsizetype end = readAutolink(i);
            if (end == kNone) {
                appendText(m_text.sliced(i, 1));
                ++i;
            } else {
                i = end;
            }
            break;
        }
        default: {
            qsizetype end = i + 1;
            while (end < size && !isSpecial(m_text.at(end)))
                ++end;
            appendText(m_text.sliced(i, end - i));
            i = end;
        }
        }
    }
    processEmphasis(kNone);
    return collect();
}

QList<InlineRun> ParagraphParser::collect() const
{
    const qsizetype count = qsizetype(m_nodes.size());
    constexpr std::array<InlineStyle, 4> spanStyles = {InlineStyle::Strong, InlineStyle::Emphasis,
                                                       InlineStyle::Strikethrough, InlineStyle::Link};
    // Spans nest arbitrarily deep: count them with running sums, not node by node.
    std::vector<std::array<int, 4>> depth(count + 1, std::array<int, 4>{});
    const auto add = [&](const Span &span) {
        const auto index = std::find(spanStyles.cbegin(), spanStyles.cend(), span.style) - spanStyles.cbegin();
        ++depth[span.first][index];
        --depth[span.last + 1][index];
    };
    for (const Span &span : m_spans)
        add(span);
    std::vector<const QString *> links(count, nullptr);
    for (const auto &[span, target] : m_links) {
        add(span);
        for (qsizetype n = span.first; n <= span.last; ++n)
            links[n] = &target;
    }

    QList<InlineRun> runs;
    std::array<int, 4> running{};
    for (qsizetype n = 0; n < count; ++n) {
        InlineStyles styles = m_nodes[n].styles;
        for (size_t s = 0; s < spanStyles.size(); ++s) {
            running[s] += depth[n][s];
            if (running[s] > 0)
                styles |= spanStyles[s];
        }
        QString link = m_nodes[n].link;
        if (link.isEmpty() && links[n])
            link = *links[n];
        appendInlineRun(runs, {m_nodes[n].text, styles, link});
    }
    return runs;
}

} // namespace

QList<InlineRun> parseInlineParagraph(QStringView text)
{
    return ParagraphParser(text).parse();
}
