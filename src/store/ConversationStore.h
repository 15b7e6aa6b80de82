// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/Conversation.h"
#include "store/ConversationFile.h"
#include "store/HistoryWriter.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QUuid>

#include <chrono>
#include <memory>

class HistoryJournal;

// The saved conversations and their file. Every change is appended at once to
// a journal beside the file (conversations.json.journal), which the next start
// replays; the whole file is written off the main thread when the changes go
// quiet, when the journal grows large, and at flush(). The messages of the
// conversations read from the file stay there until one is opened (whole()).
class ConversationStore : public QObject
{
    Q_OBJECT

public:
    explicit ConversationStore(QString filePath = defaultFilePath(), QObject *parent = nullptr);
    ~ConversationStore() override;

    // $XDG_DATA_HOME/Tarnwick/conversations.json
    static QString defaultFilePath();
    static QString journalPath(const QString &filePath);

    QString filePath() const { return m_filePath; }
    // Without their messages where the file holds them (Conversation::stored).
    const QList<Conversation> &conversations() const { return m_conversations; }
    // The conversation with this id and its messages.
    Result<Conversation> whole(const QUuid &id, Conversation::Parts parts = Conversation::Parts::Everything) const;
    // One per conversation, in list order: a new number whenever it changes.
    const QList<quint64> &revisions() const { return m_revisions; }

    // Replaces the list with the file's contents and the journal's changes,
    // newest first. A file that cannot be read leaves the list as it is and is
    // moved aside before the first save replaces it; a damaged journal is
    // moved aside at once, after its whole records are taken.
    void reload();

    // Replaces the first conversation with the same id in place, or puts it in front.
    void upsert(const Conversation &conversation);

    // Removes every conversation with this id; the change is saved even when none matched.
    void deleteConversation(const QUuid &id);

    // Writes the whole file with every change so far and waits until it is on disk (or failed).
    void flush();

    // How long changes stay only in the journal before the whole file is
    // written (30 s by default). Zero writes the whole file for every change.
    void setSaveInterval(std::chrono::milliseconds interval);

    // Changes that neither the journal nor the file holds: quitting now loses them.
    bool hasUnsavedChanges() const { return m_unsavedSince != 0; }
    // Why the history cannot be written now; empty while saving works. A
    // failed write is tried again, with the latest state, until one succeeds.
    QString saveProblem() const { return m_saveProblem; }

    // Files moved aside this run because they could not be used.
    QStringList setAsidePaths() const { return m_setAside; }

    // The writer, for counters in benchmarks.
    const HistoryWriter &writer() const { return *m_writer; }

Q_SIGNALS:
    void conversationsChanged();
    void writeFailed(const QString &reason);
    void saveProblemChanged();
    // A history or journal file that could not be used now lies at movedTo.
    void fileSetAside(const QString &movedTo);

private:
    void record(const QByteArray &change);
    void writeWhole();
    void folded(quint64 sequence);
    void noteSetAside(const QString &movedTo);
    void noteWriteFailed(quint64 sequence, const QString &reason);
    void setSaveProblem(const QString &reason);
    void followSpans(const QList<HistoryWriter::SpanMove> &moves);
    // The number of changes replayed.
    int loadJournal(const ConversationFile::Bytes &journal, QList<Conversation> &conversations);

    const QString m_filePath;
    QList<Conversation> m_conversations;
    QList<quint64> m_revisions;
    quint64 m_nextRevision = 1;
    bool m_backupRequested = false; // one backup per run
    bool m_wholeWriteNeeded = false; // the file must be written before the journal means anything
    std::chrono::milliseconds m_saveInterval{30000};
    quint64 m_sequence = 0;
    quint64 m_foldedSequence = 0;
    bool m_dirty = false; // the file lacks changes the journal or memory holds
    quint64 m_unsavedSince = 0; // the first change held only in memory
    QString m_saveProblem;
    QTimer m_retry;
    qint64 m_fileSize = 0;
    QList<std::pair<quint64, QByteArray>> m_unfolded; // changes the file does not hold yet
    QStringList m_setAside;
    QTimer m_quiet;
    std::unique_ptr<HistoryJournal> m_journal;
    HistoryWriter *m_writer;
};
