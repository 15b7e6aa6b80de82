// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// A block quote or a list item that holds blocks.
struct MarkdownContainer
{
    enum class Kind : quint8 { Quote, ListItem };
    enum class Task : quint8 { None, Open, Done };

    Kind kind = Kind::Quote;
    bool ordered = false;
    Task task = Task::None;
    int number = 0; // an ordered item's number as written
    int listId = 0; // the items of one list share it
    int id = 0; // this container's own, unique in the message

    friend bool operator==(const MarkdownContainer &, const MarkdownContainer &) = default;
};

// A table column's alignment, from its delimiter cell (":--", ":-:", "--:").
enum class MarkdownAlign : quint8 { None, Left, Center, Right };

// A leaf block of a message's prose with the containers it sits in.
struct MarkdownBlock
{
    enum class Kind : quint8 { Paragraph, Heading, Rule, Table };

    Kind kind = Kind::Paragraph;
    int level = 0; // a heading's level, 1 to 6
    QString text; // inline Markdown: lines joined with "\n" (paragraph, heading)
    QList<MarkdownContainer> containers; // outermost first
    bool firstInItem = false; // the first block of its innermost list item: shows the marker
    QList<MarkdownAlign> aligns; // a table's columns
    QList<QStringList> rows; // a table's rows, the header first, each as wide as aligns

    friend bool operator==(const MarkdownBlock &, const MarkdownBlock &) = default;
};
