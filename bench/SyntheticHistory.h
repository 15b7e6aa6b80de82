// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/Conversation.h"

#include <QList>
#include <QString>

// What fills a heavy user's history of about 100 MB (at scale 1), in `1000 * scale` conversations.
enum class HistoryKind {
    Images, // six messages of about 1,000 characters, every fifth conversation with a 350 kB image
    Text // two questions and two answers of about 50,000 characters: prose, code, accents
};

QList<Conversation> makeSyntheticHistory(double scale, HistoryKind kind = HistoryKind::Images);

// Writes the history file at once, as the store would.
bool writeHistoryFile(const QString &path, const QList<Conversation> &conversations);

// Writes that history as conversations.json in `folder`, prints its size and returns its path.
QString writeSyntheticHistoryFile(const QString &folder, double scale, HistoryKind kind = HistoryKind::Images);

const char *historyKindName(HistoryKind kind);

// The number after `name` on the command line (--scale, --tries), or fallback.
double commandLineNumber(const QString &name, double fallback);
