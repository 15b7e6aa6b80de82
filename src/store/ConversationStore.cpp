#include "store/ConversationStore.h"

#include "store/ConversationFile.h"
#include "store/HistoryWriter.h"
#include "platform/AppPaths.h"

#include <QFileInfo>

#include <algorithm>
#include <utility>

ConversationStore::ConversationStore(QString filePath, QObject *parent)
    : QObject(parent)
    , m_filePath(std::move(filePath))
    , m_writer(new HistoryWriter(m_filePath, this))
{
    connect(m_writer, &HistoryWriter::writeFailed, this, &ConversationStore::writeFailed);
    // A failure here shows up later as a failed write.
    AppPaths::ensurePrivateDir(QFileInfo(m_filePath).absolutePath());
    reload();
}

ConversationStore::~ConversationStore()
{
    flush();
}

QString ConversationStore::defaultFilePath()
{
    return AppPaths::dataDir() + QStringLiteral("/conversations.json");
}

void ConversationStore::reload()
{
    flush();
    const ConversationFile::ReadResult result = ConversationFile::read(m_filePath);
    switch (result.status) {
    case ConversationFile::Status::Missing:
        return;
    case ConversationFile::Status::Unreadable:
        m_writer->setPreparation(HistoryWriter::Preparation::SetAside);
        return;
    case ConversationFile::Status::Read:
        break;
    }
    if (!std::exchange(m_backupRequested, true))
        m_writer->setPreparation(HistoryWriter::Preparation::Backup);
    m_conversations = result.conversations;
    std::stable_sort(m_conversations.begin(), m_conversations.end(),
                     [](const Conversation &a, const Conversation &b) { return a.date > b.date; });
    m_revisions.resize(m_conversations.size());
    for (quint64 &revision : m_revisions)
        revision = m_nextRevision++;
    Q_EMIT conversationsChanged();
}

void ConversationStore::upsert(const Conversation &conversation)
{
    const auto found = std::find_if(m_conversations.cbegin(), m_conversations.cend(),
                                    [&](const Conversation &c) { return c.id == conversation.id; });
    if (found != m_conversations.cend()) {
        const qsizetype index = found - m_conversations.cbegin();
        m_conversations[index] = conversation;
        m_revisions[index] = m_nextRevision++;
    } else {
        m_conversations.prepend(conversation);
        m_revisions.prepend(m_nextRevision++);
    }
    Q_EMIT conversationsChanged();
    persist();
}

void ConversationStore::deleteConversation(const QUuid &id)
{
    bool removed = false;
    for (qsizetype i = m_conversations.size() - 1; i >= 0; --i) {
        if (m_conversations.at(i).id == id) {
            m_conversations.removeAt(i);
            m_revisions.removeAt(i);
            removed = true;
        }
    }
    if (removed)
        Q_EMIT conversationsChanged();
    persist();
}

QUuid ConversationStore::saveLauncherConversation(const QList<ChatMessage> &messages, const QUuid &activeID)
{
    if (messages.isEmpty())
        return {};
    const QUuid id = activeID.isNull() ? QUuid::createUuid() : activeID;
    QList<StoredMessage> stored;
    stored.reserve(messages.size());
    for (const ChatMessage &message : messages)
        stored.append(StoredMessage(message));
    upsert(Conversation(id, Conversation::makeTitle(messages), QDateTime::currentDateTimeUtc(), std::move(stored)));
    return id;
}

void ConversationStore::flush()
{
    m_writer->flush();
}

void ConversationStore::setSaveInterval(std::chrono::milliseconds interval)
{
    m_writer->setMinimumInterval(interval);
}

void ConversationStore::persist()
{
    m_writer->submit(m_conversations, m_revisions);
}
