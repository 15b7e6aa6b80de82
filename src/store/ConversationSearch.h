// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/Conversation.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QUuid>

#include <limits>

// Finding conversations by the words of their title and messages, without
// regard to case or accents: "Cafe" finds "café", "ÉTÉ" finds "été".
namespace ConversationSearch {

// Lower case, accents and other combining marks dropped.
QString fold(QStringView text);
// The same, with the index in `text` each folded unit came from.
QString fold(QStringView text, QList<qsizetype> *origins);

// A conversation's texts folded once, reused until it changes; UTF-8 holds
// the mostly ASCII text in half the memory and matches whole characters alike.
struct Folded
{
    QByteArray title;
    QList<QByteArray> messages;
    // Once compacted: `messages` empty, and every distinct word of them here,
    // each followed by a space. A query word holds no space, so it is in a
    // message exactly when it is in one of that message's words.
    QByteArray words;
};
Folded foldConversation(const Conversation &conversation);
// The same texts in the least memory, for an index that keeps them all.
Folded compact(Folded folded);

struct Range
{
    qsizetype start = 0;
    qsizetype length = 0;
    friend bool operator==(const Range &, const Range &) = default;
};

struct Hit
{
    QUuid id;
    QString title;
    QDateTime date;
    QList<Range> titleMatches;
    QString snippet; // the message text around the first match; empty when only the title matches
    QList<Range> snippetMatches;
    // Set while the snippet is still to be made (addSnippet) from messages that only the file holds.
    QStringList snippetWords;
};

// Makes a hit's snippet from its conversation, whole.
void addSnippet(Hit &hit, const Conversation &conversation);

// The query's words, folded; a conversation matches when it holds every one.
QStringList queryWords(const QString &query);

// Where the words occur in the text, in order, overlapping ones merged.
QList<Range> matches(QStringView text, const QStringList &words);

// The conversations holding every word of the query, newest first. `folded`
// runs parallel to `conversations`. Snippets that need messages from the file
// are made for the first `fileSnippets` hits only; the others are left to addSnippet.
QList<Hit> search(const QList<Conversation> &conversations, const QList<Folded> &folded, const QString &query,
                  qsizetype fileSnippets = std::numeric_limits<qsizetype>::max());

} // namespace ConversationSearch
