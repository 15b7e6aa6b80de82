// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/ContentSegmenter.h"

#include "text/FenceLine.h"

void ContentSegmenter::reset()
{
    m_text.clear();
    m_consumed = 0;
    m_scanned = 0;
    m_finished.clear();
    m_pending.clear();
    m_inCode = false;
    m_lang.clear();
    m_pendingStart = 0;
    m_pendingVerbatim = true;
    m_openStart = -1;
}

void ContentSegmenter::takeLine(QStringView line, qsizetype next, bool strippedReturn)
{
    if (FenceLine::isFence(line)) {
        if (m_inCode) {
            m_pending.chop(1);
            m_finished.append(ContentSegment::makeCode(m_lang, m_pending));
            m_lang.clear();
            m_inCode = false;
        } else {
            if (!m_pending.isEmpty()) {
                m_pending.chop(1);
                m_finished.append(ContentSegment::makeText(m_pending));
            }
            m_lang = FenceLine::language(line);
            m_inCode = true;
        }
        // A fresh string: the finished segment keeps the old one.
        m_pending = QString();
        m_pendingStart = next;
        m_pendingVerbatim = true;
        return;
    }
    m_pendingVerbatim = m_pendingVerbatim && !strippedReturn;
    m_pending.append(line);
    m_pending.append(QLatin1Char('\n'));
}

const QList<ContentSegment> &ContentSegmenter::update(const QString &text)
{
    if (!QStringView(text).startsWith(m_text))
        reset();
    return grow(text);
}

const QList<ContentSegment> &ContentSegmenter::grow(const QString &text)
{
    m_text = text;
    const qsizetype openBefore = m_openStart;
    m_openStart = -1;
    m_lastGrew = false;

    for (;;) {
        // A long last line is not searched again for its end.
        const qsizetype end = text.indexOf(QLatin1Char('\n'), qMax(m_consumed, m_scanned));
        if (end < 0) {
            m_scanned = text.size();
            break;
        }
        const QStringView whole = QStringView(text).sliced(m_consumed, end - m_consumed);
        const QStringView line = FenceLine::withoutCarriageReturn(whole);
        takeLine(line, end + 1, line.size() != whole.size());
        m_consumed = end + 1;
    }

    // The last line has no line feed yet: read it and the end of the input
    // without committing to either.
    m_segments = m_finished;
    const QStringView last = QStringView(text).sliced(m_consumed);
    if (FenceLine::isFence(last)) {
        const QString joined = m_pending.isEmpty() ? QString() : m_pending.chopped(1);
        if (m_inCode)
            m_segments.append(ContentSegment::makeCode(m_lang, joined));
        else if (!m_pending.isEmpty())
            m_segments.append(ContentSegment::makeText(joined));
        return m_segments;
    }
    // Prose from the very start, as it was written, is the text itself: shared, not copied.
    const bool whole = !m_inCode && m_pendingStart == 0 && m_pendingVerbatim;
    QString tail = whole ? text : QString(m_pending).append(last);
    if (!m_inCode && m_pendingVerbatim) {
        m_openStart = m_pendingStart;
        m_lastGrew = openBefore == m_openStart;
    }
    if (m_inCode)
        m_segments.append(ContentSegment::makeCode(m_lang, std::move(tail)));
    else
        m_segments.append(ContentSegment::makeText(std::move(tail)));
    return m_segments;
}
