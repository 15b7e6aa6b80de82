// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Gathers a JSON value written without the event-stream "data: " prefix,
// line by line, until its braces and brackets balance. Gemini reports some
// errors that way, pretty-printed over several lines.
class BareJsonCollector
{
public:
    // Whether a line that is no event field starts such a value.
    static bool startsValue(const QString &line);

    bool isCollecting() const { return m_depth > 0; }
    // Takes one more line; returns the whole value once it is complete.
    std::optional<QByteArray> add(const QString &line);

private:
    QByteArray m_text;
    int m_depth = 0;
    bool m_inString = false;
    bool m_escaped = false;
};
