#pragma once

#include "store/Conversation.h"

#include <QList>
#include <QString>

// A history like a heavy user's: `1000 * scale` conversations of six messages of
// about 1,000 characters, every fifth with a 350 kB image (about 100 MB at scale 1).
QList<Conversation> makeSyntheticHistory(double scale);

// Writes the history file at once, as the store would.
bool writeHistoryFile(const QString &path, const QList<Conversation> &conversations);

// Writes that history as conversations.json in `folder`, prints its size and returns its path.
QString writeSyntheticHistoryFile(const QString &folder, double scale);

// The number after `name` on the command line (--scale, --tries), or fallback.
double commandLineNumber(const QString &name, double fallback);
