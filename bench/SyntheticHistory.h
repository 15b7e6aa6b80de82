#pragma once

#include "store/Conversation.h"

#include <QList>
#include <QString>

// A history like a heavy user's: `1000 * scale` conversations of six messages of
// about 1,000 characters, every fifth with a 350 kB image (about 100 MB at scale 1).
QList<Conversation> makeSyntheticHistory(double scale);

// Writes the history file at once, as the store would.
bool writeHistoryFile(const QString &path, const QList<Conversation> &conversations);
