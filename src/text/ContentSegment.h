// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

#include <utility>

// A run of prose, or one fenced code block, of a message.
struct ContentSegment
{
    enum class Kind { Text, Code };

    static ContentSegment makeText(QString text) { return {Kind::Text, std::move(text), {}, {}}; }
    static ContentSegment makeCode(QString lang, QString body)
    {
        return {Kind::Code, {}, std::move(lang), std::move(body)};
    }

    bool isText() const { return kind == Kind::Text; }
    bool isCode() const { return kind == Kind::Code; }

    Kind kind = Kind::Text;
    QString text; // prose lines joined with "\n" (Text only)
    QString lang; // the rest of the opening fence line, trimmed (Code only)
    QString body; // the lines between the fences joined with "\n" (Code only)

    friend bool operator==(const ContentSegment &, const ContentSegment &) = default;
};

// Splits a message into prose and fenced code blocks. Accepts any prefix of a
// streamed answer: an unclosed block shows the code received so far. A carriage
// return before a line feed counts as part of the line end.
QList<ContentSegment> parseContentSegments(const QString &text);
