// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/Conversation.h"

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>
#include <QUuid>

// The lines of the history journal: a header naming the format and its
// version, then one compact JSON object per change. Replaying a record on a
// file that already holds it changes nothing, so a journal may be replayed on
// the file written from it.
namespace JournalRecord {

constexpr int kVersion = 1;

QByteArray header();

// The record that turns `before` (null for a new conversation) into `after`:
// the new tail of one message when only that changed, the whole conversation otherwise.
QByteArray change(const Conversation *before, const Conversation &after);
QByteArray removal(const QUuid &id);

enum class Status {
    Applied, // every line read and applied (also: no journal)
    Torn, // lines after `validBytes` are cut off or damaged
    Foreign, // not a journal of ours: nothing applied
    Newer // written by a newer version: nothing applied
};

struct Replay
{
    Status status = Status::Applied;
    int records = 0;
    qsizetype validBytes = 0; // the header and every record applied
    QString error;
};

// The conversations the journal's records name, whether or not they apply.
QSet<QUuid> namedIds(const QByteArray &journal);

// Applies the journal's records to the list in order.
Replay replay(const QByteArray &journal, QList<Conversation> &conversations);

} // namespace JournalRecord
