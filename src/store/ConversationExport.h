// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/Conversation.h"

#include <QByteArray>
#include <QString>

// One conversation for use outside the program.
namespace ConversationExport {

enum class Format { Markdown, Json };

// The title as a heading, each message under its role's heading, an answer's
// reasoning as a quoted block before it, images as data URLs.
QString markdown(const Conversation &conversation);

// The conversation object exactly as the history file holds it.
QByteArray json(const Conversation &conversation);

QByteArray bytes(const Conversation &conversation, Format format);

// A file name made from the title: "Explain quicksort.md".
QString fileName(const Conversation &conversation, Format format);

} // namespace ConversationExport
