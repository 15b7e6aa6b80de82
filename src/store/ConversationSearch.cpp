// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/ConversationSearch.h"

#include <QRegularExpression>

#include <algorithm>
#include <cstring>
#include <numeric>
#include <utility>
#include <vector>

namespace ConversationSearch {

namespace {

constexpr qsizetype kContextBefore = 24;
constexpr qsizetype kSnippetLength = 120;

bool isMark(char32_t c)
{
    const QChar::Category category = QChar::category(c);
    return category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining
        || category == QChar::Mark_Enclosing;
}

void appendFolded(char32_t c, qsizetype origin, QString &out, QList<qsizetype> *origins)
{
    c = QChar::toCaseFolded(c);
    if (isMark(c))
        return;
    if (QChar::requiresSurrogates(c)) {
        out.append(QChar(QChar::highSurrogate(c)));
        out.append(QChar(QChar::lowSurrogate(c)));
        if (origins) {
            origins->append(origin);
            origins->append(origin);
        }
    } else {
        out.append(QChar(char16_t(c)));
        if (origins)
            origins->append(origin);
    }
}

// How a character folds: its canonical parts, case-folded, marks dropped.
QString foldedCharacter(char32_t c)
{
    QString out;
    if (QChar::decompositionTag(c) == QChar::Canonical) {
        for (const char32_t part : QString::fromUcs4(&c, 1).normalized(QString::NormalizationForm_D).toUcs4())
            appendFolded(part, 0, out, nullptr);
    } else {
        appendFolded(c, 0, out, nullptr);
    }
    return out;
}

// The accented letters of Western languages fold often: looked up, not worked out each time.
constexpr char32_t kTableEnd = 0x250;
const QList<QString> &latinFolds()
{
    static const QList<QString> table = [] {
        QList<QString> folds;
        for (char32_t c = 0; c < kTableEnd; ++c)
            folds.append(foldedCharacter(c));
        return folds;
    }();
    return table;
}

// The earliest match of any of the words.
Range firstMatch(QStringView folded, const QStringList &words)
{
    Range best{-1, 0};
    for (const QString &word : words) {
        const qsizetype at = folded.indexOf(word);
        if (at >= 0 && (best.start < 0 || at < best.start))
            best = {at, word.size()};
    }
    return best;
}

bool isAsciiSpace(char c)
{
    return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\v' || c == '\f';
}

// Where the first of the words occurs in the message's folded text, as an index into its text.
qsizetype firstMatchIn(const QByteArray &folded, const QString &text, const QStringList &words,
                       const QList<QByteArray> &needles)
{
    qsizetype at = -1;
    for (const QByteArray &word : needles) {
        const qsizetype found = folded.indexOf(word);
        if (found >= 0 && (at < 0 || found < at))
            at = found;
    }
    if (at < 0)
        return -1;
    // Folding kept every position (plain text, the common case): the byte offset is the place.
    if (folded.size() != text.size()) {
        QList<qsizetype> origins;
        const QString refolded = fold(text, &origins);
        at = origins.at(firstMatch(refolded, words).start);
    }
    return std::min(at, text.size());
}

QList<QByteArray> needlesOf(const QStringList &words)
{
    QList<QByteArray> needles;
    for (const QString &word : words)
        needles.append(word.toUtf8());
    return needles;
}

QString oneLine(QString text)
{
    for (QChar &c : text) {
        if (c == u'\n' || c == u'\r' || c == u'\t' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            c = u' ';
    }
    return text;
}

// The original text around a match found in its folded form.
QString snippetAround(const QString &text, qsizetype matchStart)
{
    qsizetype start = std::max<qsizetype>(0, matchStart - kContextBefore);
    // Start on a word.
    if (start > 0) {
        const qsizetype space = text.indexOf(u' ', start);
        if (space >= 0 && space < matchStart)
            start = space + 1;
    }
    if (start > 0 && text.at(start).isLowSurrogate())
        ++start;
    qsizetype end = std::min(text.size(), start + kSnippetLength);
    if (end < text.size() && text.at(end).isLowSurrogate())
        ++end;
    QString snippet = oneLine(text.mid(start, end - start)).trimmed();
    if (start > 0)
        snippet.prepend(QChar(0x2026));
    if (end < text.size())
        snippet.append(QChar(0x2026));
    return snippet;
}

} // namespace

QString fold(QStringView text, QList<qsizetype> *origins)
{
    QString out;
    out.reserve(text.size());
    if (origins)
        origins->reserve(text.size());
    const char16_t *const units = text.utf16();
    for (qsizetype i = 0; i < text.size();) {
        const char16_t unit = units[i];
        if (unit < 0x80) {
            // A run of ASCII, the common case, is lowered in one pass.
            qsizetype end = i + 1;
            while (end < text.size() && units[end] < 0x80)
                ++end;
            const qsizetype at = out.size();
            out.resize(at + end - i);
            char16_t *written = reinterpret_cast<char16_t *>(out.data()) + at;
            for (qsizetype k = i; k < end; ++k)
                written[k - i] = units[k] >= u'A' && units[k] <= u'Z' ? char16_t(units[k] + 32) : units[k];
            if (origins) {
                for (qsizetype k = i; k < end; ++k)
                    origins->append(k);
            }
            i = end;
            continue;
        }
        char32_t c = unit;
        qsizetype width = 1;
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            c = QChar::surrogateToUcs4(unit, text.at(i + 1).unicode());
            width = 2;
        }
        const QString folded = c < kTableEnd ? latinFolds().at(c) : foldedCharacter(c);
        out.append(folded);
        if (origins) {
            for (qsizetype k = 0; k < folded.size(); ++k)
                origins->append(i);
        }
        i += width;
    }
    return out;
}

QString fold(QStringView text)
{
    return fold(text, nullptr);
}

Folded foldConversation(const Conversation &conversation)
{
    Folded folded;
    folded.title = fold(conversation.title).toUtf8();
    folded.messages.reserve(conversation.messages.size());
    for (const StoredMessage &message : conversation.messages)
        folded.messages.append(fold(message.content).toUtf8());
    return folded;
}

Folded compact(Folded folded)
{
    // Open addressing over the words already kept: each slot holds where a word
    // starts in `words` plus one, and its length; far cheaper per word than a set of views.
    QByteArray words;
    std::vector<std::pair<quint32, quint32>> slots(1024);
    qsizetype used = 0;
    const auto insert = [&](const char *word, qsizetype length) {
        quint32 hash = 2166136261u;
        for (qsizetype k = 0; k < length; ++k)
            hash = (hash ^ quint8(word[k])) * 16777619u;
        size_t mask = slots.size() - 1;
        for (size_t at = hash & mask;; at = (at + 1) & mask) {
            auto &[start, size] = slots[at];
            if (start == 0) {
                start = quint32(words.size() + 1);
                size = quint32(length);
                words.append(word, length);
                words.append(' ');
                break;
            }
            if (size == quint32(length) && std::memcmp(words.constData() + start - 1, word, size_t(length)) == 0)
                return;
        }
        if (++used * 2 < qsizetype(slots.size()))
            return;
        std::vector<std::pair<quint32, quint32>> grown(slots.size() * 2);
        mask = grown.size() - 1;
        for (const auto &[start, size] : slots) {
            if (start == 0)
                continue;
            quint32 again = 2166136261u;
            for (quint32 k = 0; k < size; ++k)
                again = (again ^ quint8(words.at(start - 1 + k))) * 16777619u;
            size_t at = again & mask;
            while (grown[at].first != 0)
                at = (at + 1) & mask;
            grown[at] = {start, size};
        }
        slots = std::move(grown);
    };
    for (const QByteArray &message : std::as_const(folded.messages)) {
        const char *const data = message.constData();
        const qsizetype size = message.size();
        qsizetype start = 0;
        for (qsizetype i = 0; i <= size; ++i) {
            if (i < size && !isAsciiSpace(data[i]))
                continue;
            if (i > start)
                insert(data + start, i - start);
            start = i + 1;
        }
    }
    words.squeeze();
    return Folded{folded.title, {}, words};
}

QStringList queryWords(const QString &query)
{
    QStringList words = fold(query).split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    words.removeDuplicates();
    return words;
}

QList<Range> matches(QStringView text, const QStringList &words)
{
    QList<qsizetype> origins;
    const QString folded = fold(text, &origins);
    QList<Range> found;
    for (const QString &word : words) {
        for (qsizetype at = folded.indexOf(word); at >= 0; at = folded.indexOf(word, at + word.size())) {
            const qsizetype last = at + word.size() - 1;
            const qsizetype start = origins.at(at);
            // Up to the next folded unit's source, so that dropped marks go with their letter.
            qsizetype end =
                last + 1 < origins.size() ? std::max(origins.at(last + 1), origins.at(last) + 1) : text.size();
            if (end < text.size() && text.at(end).isLowSurrogate())
                ++end;
            found.append({start, end - start});
        }
    }
    std::sort(found.begin(), found.end(), [](const Range &a, const Range &b) { return a.start < b.start; });
    QList<Range> merged;
    for (const Range &range : std::as_const(found)) {
        if (!merged.isEmpty() && range.start <= merged.last().start + merged.last().length) {
            Range &last = merged.last();
            last.length = std::max(last.start + last.length, range.start + range.length) - last.start;
        } else {
            merged.append(range);
        }
    }
    return merged;
}

void addSnippet(Hit &hit, const Conversation &conversation)
{
    const QStringList words = std::exchange(hit.snippetWords, {});
    const QList<QByteArray> needles = needlesOf(words);
    for (const StoredMessage &message : conversation.messages) {
        const qsizetype at = firstMatchIn(fold(message.content).toUtf8(), message.content, words, needles);
        if (at < 0)
            continue;
        hit.snippet = snippetAround(message.content, at);
        hit.snippetMatches = matches(hit.snippet, words);
        return;
    }
}

QList<Hit> search(const QList<Conversation> &conversations, const QList<Folded> &folded, const QString &query,
                  qsizetype fileSnippets)
{
    const QStringList words = queryWords(query);
    const QList<QByteArray> needles = needlesOf(words);
    QList<Hit> hits;
    if (words.isEmpty())
        return hits;
    QList<qsizetype> sources;
    for (qsizetype i = 0; i < conversations.size() && i < folded.size(); ++i) {
        const Folded &texts = folded.at(i);
        const auto inMessages = [&](const QByteArray &word) {
            return texts.words.contains(word)
                || std::any_of(texts.messages.cbegin(), texts.messages.cend(),
                               [&](const QByteArray &message) { return message.contains(word); });
        };
        const bool all = std::all_of(needles.cbegin(), needles.cend(), [&](const QByteArray &word) {
            return texts.title.contains(word) || inMessages(word);
        });
        if (!all)
            continue;
        const Conversation &conversation = conversations.at(i);
        Hit hit{conversation.id, conversation.title, conversation.date, matches(conversation.title, words), {}, {}, {}};
        if (std::any_of(needles.cbegin(), needles.cend(), inMessages))
            hit.snippetWords = words;
        // Folded message by message and in memory: the snippet comes at once, as the command line wants it.
        if (!hit.snippetWords.isEmpty() && !conversation.stored
            && texts.messages.size() == conversation.messages.size()) {
            hit.snippetWords.clear();
            for (qsizetype m = 0; m < texts.messages.size(); ++m) {
                const QString &text = conversation.messages.at(m).content;
                const qsizetype at = firstMatchIn(texts.messages.at(m), text, words, needles);
                if (at < 0)
                    continue;
                hit.snippet = snippetAround(text, at);
                hit.snippetMatches = matches(hit.snippet, words);
                break;
            }
        }
        hits.append(std::move(hit));
        sources.append(i);
    }
    QList<qsizetype> order(hits.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](qsizetype a, qsizetype b) { return hits.at(a).date > hits.at(b).date; });
    QList<Hit> sorted;
    sorted.reserve(hits.size());
    qsizetype made = 0;
    for (const qsizetype at : std::as_const(order)) {
        Hit &hit = hits[at];
        if (!hit.snippetWords.isEmpty() && made < fileSnippets) {
            ++made;
            const Result<Conversation> whole = conversations.at(sources.at(at)).whole(Conversation::Parts::Texts);
            if (whole)
                addSnippet(hit, whole.value());
            else
                hit.snippetWords.clear();
        }
        sorted.append(std::move(hit));
    }
    return sorted;
}

} // namespace ConversationSearch
