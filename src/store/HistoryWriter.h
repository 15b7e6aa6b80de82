// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Result.h"
#include "platform/WorkerThread.h"
#include "store/Conversation.h"

#include <QList>
#include <QObject>
#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <optional>

// Writes the whole history file on a worker thread. The latest submitted list
// wins; writes are spaced so that repeated changes do not rewrite a large file
// back to back: at least the minimum interval apart, four times as long as
// the last write took, and no more than about 4 MB a second on average.
// Conversations are encoded one at a time into the file, so a write never
// holds a second copy of the whole history; those whose messages only the old
// file holds are copied from it as they are.
class HistoryWriter : public QObject
{
    Q_OBJECT

public:
    // What happens to the existing file before the first write of this run.
    enum class Preparation {
        None,
        Backup, // keep a copy as <file>.bak
        SetAside // the file could not be read: move it to <file>.corrupt-<time>
    };

    // A conversation kept on disk, from its place in the old file to the new one.
    struct SpanMove
    {
        StoredSpan from;
        StoredSpan to;
    };

    explicit HistoryWriter(QString filePath, QObject *parent = nullptr);
    ~HistoryWriter() override;

    void setPreparation(Preparation preparation);

    // The shortest pause between two writes; the writer lengthens it for slow
    // or large writes. Zero turns spacing off: every write follows the last.
    void setMinimumInterval(std::chrono::milliseconds interval);

    // `sequence` names the state the list holds; written() reports it once on disk.
    void submit(const QList<Conversation> &conversations, quint64 sequence);

    // Blocks until everything submitted so far has been written (or has failed).
    void flush();

    // The sequence of the last list written whole, 0 before the first.
    quint64 writtenSequence() const { return m_writtenSequence.load(); }

    // The pause the writer keeps now between two writes.
    std::chrono::milliseconds interval() const;

    // Why the last write failed; empty once a write succeeds.
    QString lastFailure() const;

    qint64 bytesWritten() const { return m_bytesWritten.load(); }
    int writeCount() const { return m_writeCount.load(); }

    // Moves a file that cannot be used aside as <file>.corrupt-<time>; the new name, or nothing.
    static std::optional<QString> setAside(const QString &path);

Q_SIGNALS:
    void written(quint64 sequence);
    // After a write: where the conversations copied from the old file lie now.
    void spansMoved(const QList<HistoryWriter::SpanMove> &moves);
    void setAsideDone(const QString &movedTo);
    // The list named by sequence did not reach the disk.
    void writeFailed(quint64 sequence, const QString &reason);

private:
    struct Job
    {
        QList<Conversation> conversations;
        quint64 sequence = 0;
    };

    void run();
    Result<> write(const Job &job, qint64 *size, QList<SpanMove> *moves);
    Result<> prepare(Preparation preparation);
    void backUp();

    const QString m_filePath;

    std::condition_variable m_idle;
    std::optional<Job> m_pending;
    Preparation m_preparation = Preparation::None;
    bool m_busy = false;
    bool m_flushing = false;
    std::chrono::milliseconds m_minimumInterval{1000};
    std::chrono::steady_clock::duration m_interval{};
    std::chrono::steady_clock::time_point m_lastWriteEnd{};
    QString m_lastFailure;

    std::atomic<quint64> m_writtenSequence{0};
    std::atomic<qint64> m_bytesWritten{0};
    std::atomic<int> m_writeCount{0};
    WorkerThread m_thread; // its lock guards the state run() shares
};
