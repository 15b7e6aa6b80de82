// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/Conversation.h"

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>
#include <QUuid>

#include <functional>
#include <optional>

// Reading the history file, telling a missing file from one we cannot use.
namespace ConversationFile {

enum class Status { Missing, Unreadable, Read };

struct ReadResult
{
    Status status = Status::Missing;
    QList<Conversation> conversations; // in file order
    QString error; // why an existing file is unusable
};

ReadResult read(const QString &filePath);

// As read(), the file checked whole, but the messages are left in the file
// (Conversation::stored) except for the conversations named in `keepWhole`.
// Memory holds one conversation at a time while reading.
ReadResult readSummaries(const QString &filePath, const QSet<QUuid> &keepWhole);

// The history as the store would load it, without changing any file: the
// file with its journal's whole records applied, newest first.
ReadResult readWithJournal(const QString &filePath, const QString &journalPath);

struct ScanResult
{
    Status status = Status::Missing;
    QString error;
};

// What readWithJournal gives, one conversation at a time, so that memory
// holds one conversation rather than the file. `order` ranks conversations of
// the same date as readWithJournal lists them; newest first is by date, then
// order. A visit may come before a damaged part of the file is found.
using Visitor = std::function<void(Conversation &&conversation, qsizetype order)>;
ScanResult scanWithJournal(const QString &filePath, const QString &journalPath, const Visitor &visit);

struct Bytes
{
    Status status = Status::Missing;
    QByteArray bytes;
    QString error;
};

// The largest file worth reading here: parsing needs a few times its size.
qint64 sizeLimitForMemory();

// The whole file, if it is a regular file that fits in memory. Never blocks
// on a FIFO or a device standing at the path.
Bytes readBytes(const QString &filePath, qint64 sizeLimit = sizeLimitForMemory());

} // namespace ConversationFile
