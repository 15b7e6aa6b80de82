#pragma once

#include "store/Conversation.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QUuid>

#include <chrono>

class HistoryWriter;

// The saved conversations and their file. Every change is written, off the
// main thread and spaced out while a stream goes on; flush() before quitting.
class ConversationStore : public QObject
{
    Q_OBJECT

public:
    explicit ConversationStore(QString filePath = defaultFilePath(), QObject *parent = nullptr);
    ~ConversationStore() override;

    // $XDG_DATA_HOME/Tarnwick/conversations.json
    static QString defaultFilePath();

    QString filePath() const { return m_filePath; }
    const QList<Conversation> &conversations() const { return m_conversations; }

    // Replaces the list with the file's contents, newest first. A file that
    // cannot be read leaves the list as it is and is moved aside before the
    // first save replaces it.
    void reload();

    // Replaces the first conversation with the same id in place, or puts it in front.
    void upsert(const Conversation &conversation);

    // Removes every conversation with this id; the file is written even when none matched.
    void deleteConversation(const QUuid &id);

    // Saves the launcher's messages under activeID (a new id when null) and
    // returns the id used; a null id when the list is empty and nothing was saved.
    QUuid saveLauncherConversation(const QList<ChatMessage> &messages, const QUuid &activeID);

    // Waits until every change so far is on disk (or has failed).
    void flush();

    // The shortest pause between two writes of the file (one second by default;
    // large files are written less often). Zero writes every change at once.
    void setSaveInterval(std::chrono::milliseconds interval);

    // The writer, for counters in benchmarks.
    const HistoryWriter &writer() const { return *m_writer; }

Q_SIGNALS:
    void conversationsChanged();
    void writeFailed(const QString &reason);

private:
    void persist();

    const QString m_filePath;
    QList<Conversation> m_conversations;
    QList<quint64> m_revisions; // one per conversation, new for every changed one
    quint64 m_nextRevision = 1;
    bool m_backupRequested = false; // one backup per run
    HistoryWriter *m_writer;
};
