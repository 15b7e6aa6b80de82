// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <optional>

// The history file's conversations one at a time, as the bytes of each object
// of the top-level array, read in blocks: memory holds one conversation, not
// the file. Refuses what is not a regular file, never blocking on a FIFO.
class HistoryFileReader
{
public:
    explicit HistoryFileReader(const QString &filePath);

    bool exists() const { return m_exists; }
    // Why the file cannot be read, or where it breaks the format; empty while all is well.
    QString error() const { return m_error; }

    // The next conversation object; nullopt after the last one, or at a
    // failure (error() then says what).
    std::optional<QByteArray> next();
    // Where the object next() gave last begins in the file.
    qint64 offset() const { return m_objectOffset; }
    // The open file, to read its objects again later; -1 when none is open.
    int handle() const { return m_file.handle(); }

private:
    bool skipSpace();
    bool fill();
    bool fail(const QString &reason);
    std::optional<qsizetype> objectEnd();

    QFile m_file;
    QByteArray m_buffer;
    qint64 m_bufferOffset = 0; // the file position of m_buffer's first byte
    qsizetype m_at = 0;
    qint64 m_objectOffset = -1;
    bool m_exists = false;
    bool m_eof = false;
    bool m_started = false;
    bool m_done = false;
    QString m_error;
};
