// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "text/ContentSegment.h"

#include <QList>
#include <QString>

// parseContentSegments for a text that grows: lines already taken are not read
// again, so each update costs about the length of what was appended plus the
// block still open. Any other change starts over. The result is always what
// parseContentSegments gives for the same text.
class ContentSegmenter
{
public:
    const QList<ContentSegment> &update(const QString &text);
    // update() for a text known to start with the last one: it is not compared.
    const QList<ContentSegment> &grow(const QString &text);
    const QList<ContentSegment> &segments() const { return m_segments; }
    // The last segment is prose that only grew at its end since the update before.
    bool lastGrew() const { return m_lastGrew; }

private:
    void reset();
    void takeLine(QStringView line, qsizetype next, bool strippedReturn);

    QString m_text; // the text of the last update
    qsizetype m_consumed = 0; // end of the last whole line taken
    qsizetype m_scanned = 0; // no line feed between m_consumed and this
    QList<ContentSegment> m_finished; // segments that no later text changes
    QString m_pending; // pending lines, each followed by "\n"
    bool m_hasPending = false;
    // Where the pending lines start in the text, and whether they are that
    // text unchanged (no "\r" taken out): then the open prose needs no copy.
    qsizetype m_pendingStart = 0;
    bool m_pendingVerbatim = true;
    qsizetype m_openStart = -1; // m_pendingStart while the last segment is that text unchanged
    bool m_lastGrew = false;
    bool m_inCode = false;
    QString m_lang;
    QList<ContentSegment> m_segments; // m_finished plus what is still open
};
