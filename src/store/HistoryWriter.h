#pragma once

#include "store/Conversation.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

// Writes the history file on a worker thread. The latest submitted list wins;
// writes are spaced so a long streamed answer does not rewrite a large file
// back to back: at least the minimum interval apart, four times as long as
// the last write took, and no more than about 4 MB a second on average. Each conversation's encoded bytes are cached by revision, so a
// write encodes only what changed since the previous one.
class HistoryWriter : public QObject
{
    Q_OBJECT

public:
    // What happens to the existing file before the first write of this run.
    enum class Preparation {
        None,
        Backup,  // keep a copy as <file>.bak
        SetAside // the file could not be read: move it to <file>.corrupt-<time>
    };

    explicit HistoryWriter(QString filePath, QObject *parent = nullptr);
    ~HistoryWriter() override;

    void setPreparation(Preparation preparation);

    // The shortest pause between two writes; the writer lengthens it for slow
    // or large writes. Zero turns spacing off: every write follows the last.
    void setMinimumInterval(std::chrono::milliseconds interval);

    // Revisions identify conversation contents: equal revisions mean equal bytes.
    void submit(const QList<Conversation> &conversations, const QList<quint64> &revisions);

    // Blocks until everything submitted so far has been written (or has failed).
    void flush();

    // The pause the writer keeps now between two writes.
    std::chrono::milliseconds interval() const;

    qint64 bytesWritten() const { return m_bytesWritten.load(); }
    int writeCount() const { return m_writeCount.load(); }

Q_SIGNALS:
    void writeFailed(const QString &reason);

private:
    struct Job
    {
        QList<Conversation> conversations;
        QList<quint64> revisions;
    };

    void run();
    std::optional<QString> write(const Job &job, qint64 *size);
    std::optional<QString> prepare(Preparation preparation);
    std::optional<QString> setAside();
    void backUp();
    QByteArray encode(const Job &job);

    const QString m_filePath;
    QHash<quint64, QByteArray> m_cache; // worker thread only

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::optional<Job> m_pending;
    Preparation m_preparation = Preparation::None;
    bool m_busy = false;
    bool m_flushing = false;
    bool m_stopping = false;
    std::chrono::milliseconds m_minimumInterval{1000};
    std::chrono::steady_clock::duration m_interval{};
    std::chrono::steady_clock::time_point m_lastWriteEnd{};

    std::atomic<qint64> m_bytesWritten{0};
    std::atomic<int> m_writeCount{0};
    std::thread m_thread;
};
