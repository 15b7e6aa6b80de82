// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Result.h"
#include "platform/WorkerThread.h"

#include <QByteArray>
#include <QString>

// The journal file beside the history file: records are appended with one
// write each, so a killed process loses none of them, and flushed to the disk
// by a thread of its own at most a fraction of a second later.
class HistoryJournal
{
public:
    explicit HistoryJournal(QString path);
    ~HistoryJournal();

    HistoryJournal(const HistoryJournal &) = delete;
    HistoryJournal &operator=(const HistoryJournal &) = delete;

    QString path() const { return m_path; }

    // Appends whole records, starting the file with its header. On failure the
    // file is cut back to what it held, so no half record stays in it.
    Result<> append(const QByteArray &records);

    // Starts the file over with the header and these records; with none, removes it.
    Result<> replace(const QByteArray &records);

    // Bytes in the file as this process last wrote it.
    qint64 size() const { return m_size; }

private:
    Result<> open();
    void close();
    void syncLoop();

    const QString m_path;
    int m_fd = -1;
    qint64 m_size = 0;

    bool m_dirty = false;
    WorkerThread m_syncThread; // its lock guards m_fd and m_dirty
};
