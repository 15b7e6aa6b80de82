// SPDX-License-Identifier: GPL-3.0-or-later
#include "llm/ThinkTagSplitter.h"

#include <utility>

namespace {
const QString kOpen = QStringLiteral("<think>");
const QString kClose = QStringLiteral("</think>");

qsizetype leadingSpace(const QString &text)
{
    qsizetype at = 0;
    while (at < text.size() && text.at(at).isSpace())
        ++at;
    return at;
}

// How many characters at the end of text could begin the tag.
qsizetype partialTagAtEnd(const QString &text, const QString &tag)
{
    for (qsizetype length = qMin(text.size(), tag.size() - 1); length > 0; --length) {
        if (QStringView(text).right(length) == QStringView(tag).left(length))
            return length;
    }
    return 0;
}
} // namespace

ThinkTagSplitter::Parts ThinkTagSplitter::feed(const QString &fragment)
{
    Parts parts;
    if (m_state == State::Answering) {
        parts.answer = fragment;
        return parts;
    }
    m_held += fragment;
    if (m_state == State::Opening)
        readOpening(parts);
    if (m_state == State::Thinking)
        readThinking(parts);
    if (m_state == State::Closing)
        readClosing(parts);
    return parts;
}

ThinkTagSplitter::Parts ThinkTagSplitter::finish()
{
    Parts parts;
    if (m_state == State::Opening)
        parts.answer = m_held;
    else if (m_state == State::Thinking)
        parts.reasoning = m_held;
    m_held.clear();
    m_state = State::Answering;
    return parts;
}

void ThinkTagSplitter::readOpening(Parts &parts)
{
    const QStringView rest = QStringView(m_held).mid(leadingSpace(m_held));
    if (rest.size() < kOpen.size() && QStringView(kOpen).startsWith(rest))
        return; // still may be the tag
    if (!rest.startsWith(kOpen)) {
        parts.answer = std::exchange(m_held, QString());
        m_state = State::Answering;
        return;
    }
    m_held = rest.mid(kOpen.size()).toString();
    m_state = State::Thinking;
}

void ThinkTagSplitter::readThinking(Parts &parts)
{
    if (!m_thoughtStarted) {
        m_held.remove(0, leadingSpace(m_held));
        m_thoughtStarted = !m_held.isEmpty();
    }
    const qsizetype end = m_held.indexOf(kClose);
    if (end < 0) {
        const qsizetype keep = partialTagAtEnd(m_held, kClose);
        parts.reasoning += m_held.left(m_held.size() - keep);
        m_held.remove(0, m_held.size() - keep);
        return;
    }
    parts.reasoning += m_held.left(end);
    m_held.remove(0, end + kClose.size());
    m_state = State::Closing;
}

// The blank lines between the thoughts and the answer belong to neither.
void ThinkTagSplitter::readClosing(Parts &parts)
{
    const qsizetype space = leadingSpace(m_held);
    if (space == m_held.size()) {
        m_held.clear();
        return;
    }
    parts.answer += m_held.mid(space);
    m_held.clear();
    m_state = State::Answering;
}
