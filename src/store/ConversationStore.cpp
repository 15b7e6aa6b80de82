// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/ConversationStore.h"

#include "platform/AppPaths.h"
#include "platform/AssignIfChanged.h"
#include "platform/Logging.h"
#include "store/ConversationFile.h"
#include "store/HistoryJournal.h"
#include "store/HistoryWriter.h"
#include "store/JournalRecord.h"

#include <QFileInfo>
#include <QThreadPool>

#include <algorithm>
#include <utility>

#ifdef __GLIBC__
#include <malloc.h>
#endif

using namespace std::chrono_literals;

namespace {

// How soon a failed write is tried again.
constexpr std::chrono::milliseconds kRetryInterval = 5s;

// The journal is folded into the file once it holds this share of the file's size.
qint64 foldThreshold(qint64 fileSize)
{
    return std::max<qint64>(1 << 20, fileSize / 32);
}

// Parsing a large file leaves most of its scratch memory free but still
// mapped; handing it back takes a while, so a worker does it.
void returnFreeMemory()
{
#ifdef __GLIBC__
    QThreadPool::globalInstance()->start([] { malloc_trim(0); });
#endif
}

} // namespace

ConversationStore::ConversationStore(QString filePath, QObject *parent)
    : QObject(parent)
    , m_filePath(std::move(filePath))
    , m_journal(std::make_unique<HistoryJournal>(journalPath(m_filePath)))
    , m_writer(new HistoryWriter(m_filePath, this))
{
    connect(m_writer, &HistoryWriter::writeFailed, this, &ConversationStore::noteWriteFailed);
    connect(m_writer, &HistoryWriter::written, this, &ConversationStore::folded);
    connect(m_writer, &HistoryWriter::setAsideDone, this, &ConversationStore::noteSetAside);
    connect(m_writer, &HistoryWriter::spansMoved, this, &ConversationStore::followSpans);
    m_quiet.setSingleShot(true);
    connect(&m_quiet, &QTimer::timeout, this, &ConversationStore::writeWhole);
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, [this] {
        if (m_dirty)
            writeWhole();
    });
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

QString ConversationStore::journalPath(const QString &filePath)
{
    return filePath + QStringLiteral(".journal");
}

void ConversationStore::reload()
{
    flush();
    const ConversationFile::Bytes journal = ConversationFile::readBytes(m_journal->path());
    // The conversations the journal changes are read whole; the others' messages stay in the file.
    const QSet<QUuid> named =
        journal.status == ConversationFile::Status::Read ? JournalRecord::namedIds(journal.bytes) : QSet<QUuid>();
    ConversationFile::ReadResult result = ConversationFile::readSummaries(m_filePath, named);
    if (result.status == ConversationFile::Status::Unreadable) {
        // The journal's changes apply to that file: both are kept aside, neither is used.
        m_writer->setPreparation(HistoryWriter::Preparation::SetAside);
        m_wholeWriteNeeded = true;
        if (QFileInfo::exists(m_journal->path()) || QFileInfo(m_journal->path()).isSymLink()) {
            if (const std::optional<QString> moved = HistoryWriter::setAside(m_journal->path()))
                noteSetAside(*moved);
        }
        return;
    }
    const bool fileRead = result.status == ConversationFile::Status::Read;
    if (fileRead && !std::exchange(m_backupRequested, true))
        m_writer->setPreparation(HistoryWriter::Preparation::Backup);
    const int replayed = loadJournal(journal, result.conversations);
    if (!fileRead && replayed == 0)
        return;
    m_fileSize = QFileInfo(m_filePath).size();
    m_conversations = std::move(result.conversations);
    std::stable_sort(m_conversations.begin(), m_conversations.end(),
                     [](const Conversation &a, const Conversation &b) { return a.date > b.date; });
    m_revisions.resize(m_conversations.size());
    for (quint64 &revision : m_revisions)
        revision = m_nextRevision++;
    returnFreeMemory();
    Q_EMIT conversationsChanged();
}

int ConversationStore::loadJournal(const ConversationFile::Bytes &bytes, QList<Conversation> &conversations)
{
    const QString path = m_journal->path();
    if (bytes.status == ConversationFile::Status::Missing)
        return 0;
    const JournalRecord::Replay replay = bytes.status == ConversationFile::Status::Read
        ? JournalRecord::replay(bytes.bytes, conversations)
        : JournalRecord::Replay{JournalRecord::Status::Foreign, 0, 0, bytes.error};
    if (replay.records > 0) {
        // The file lacks these changes until the next whole write; that
        // write's sequence tells when the journal may go.
        ++m_sequence;
        m_dirty = true;
        m_quiet.start(m_saveInterval);
    }
    if (replay.status == JournalRecord::Status::Applied)
        return replay.records;
    if (const std::optional<QString> moved = HistoryWriter::setAside(path))
        noteSetAside(*moved);
    if (replay.records > 0) {
        // Keep the whole records where the next start finds them.
        const qsizetype headerEnd = bytes.bytes.indexOf('\n') + 1;
        m_journal->replace(bytes.bytes.sliced(headerEnd, replay.validBytes - headerEnd));
    }
    return replay.records;
}

void ConversationStore::upsert(const Conversation &conversation)
{
    if (conversation.stored) {
        // A copy of a listed conversation: its messages come from the file first.
        const Result<Conversation> whole = conversation.whole();
        if (!whole) {
            qCWarning(lcHistory) << "A conversation was not saved:" << whole.message();
            return;
        }
        upsert(whole.value());
        return;
    }
    const auto found = std::find_if(m_conversations.cbegin(), m_conversations.cend(),
                                    [&](const Conversation &c) { return c.id == conversation.id; });
    QByteArray change;
    if (found != m_conversations.cend()) {
        const qsizetype index = found - m_conversations.cbegin();
        change = JournalRecord::change(&*found, conversation);
        m_conversations[index] = conversation;
        m_revisions[index] = m_nextRevision++;
    } else {
        change = JournalRecord::change(nullptr, conversation);
        m_conversations.prepend(conversation);
        m_revisions.prepend(m_nextRevision++);
    }
    Q_EMIT conversationsChanged();
    record(change);
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
    record(JournalRecord::removal(id));
}

void ConversationStore::record(const QByteArray &change)
{
    m_unfolded.append({++m_sequence, change});
    m_dirty = true;
    // Until an unreadable file is moved aside and replaced, the journal has no file to apply to.
    const bool journaled = !m_wholeWriteNeeded && m_journal->append(change);
    if (!journaled && m_unsavedSince == 0)
        m_unsavedSince = m_sequence;
    if (!journaled || m_saveInterval == 0ms || m_journal->size() > foldThreshold(m_fileSize))
        writeWhole();
    else
        m_quiet.start(m_saveInterval);
}

void ConversationStore::writeWhole()
{
    m_quiet.stop();
    m_writer->submit(m_conversations, m_sequence);
}

void ConversationStore::folded(quint64 sequence)
{
    if (sequence <= m_foldedSequence)
        return;
    m_foldedSequence = sequence;
    m_wholeWriteNeeded = false;
    if (sequence >= m_unsavedSince)
        m_unsavedSince = 0;
    m_retry.stop();
    setSaveProblem({});
    m_fileSize = QFileInfo(m_filePath).size();
    m_unfolded.removeIf([&](const std::pair<quint64, QByteArray> &change) { return change.first <= sequence; });
    QByteArray rest;
    for (const auto &change : std::as_const(m_unfolded))
        rest.append(change.second);
    // Should this fail, the old journal stays: replaying it on the new file changes nothing.
    m_journal->replace(rest);
    if (sequence == m_sequence)
        m_dirty = false;
}

Result<Conversation> ConversationStore::whole(const QUuid &id, Conversation::Parts parts) const
{
    const auto found = std::find_if(m_conversations.cbegin(), m_conversations.cend(),
                                    [&](const Conversation &c) { return c.id == id; });
    if (found == m_conversations.cend())
        return Result<Conversation>::failure(QStringLiteral("There is no such conversation."));
    return found->whole(parts);
}

// The conversations kept on disk now lie in the file just written; the old version can go.
void ConversationStore::followSpans(const QList<HistoryWriter::SpanMove> &moves)
{
    QHash<std::pair<const HistorySnapshot *, qint64>, StoredSpan> to;
    to.reserve(moves.size());
    for (const HistoryWriter::SpanMove &move : moves)
        to.insert({move.from.file.get(), move.from.offset}, move.to);
    for (Conversation &conversation : m_conversations) {
        if (!conversation.stored)
            continue;
        const auto found = to.constFind({conversation.stored->file.get(), conversation.stored->offset});
        if (found != to.cend())
            conversation.stored = *found;
    }
}

void ConversationStore::noteSetAside(const QString &movedTo)
{
    m_setAside.append(movedTo);
    qCWarning(lcHistory) << "An unreadable history file was moved to" << movedTo;
    QMetaObject::invokeMethod(
        this, [this, movedTo] { Q_EMIT fileSetAside(movedTo); }, Qt::QueuedConnection);
}

void ConversationStore::noteWriteFailed(quint64 sequence, const QString &reason)
{
    // A later write may have succeeded since.
    if (sequence <= m_foldedSequence)
        return;
    qCWarning(lcHistory) << "History could not be saved:" << reason;
    setSaveProblem(reason);
    Q_EMIT writeFailed(reason);
}

void ConversationStore::setSaveProblem(const QString &reason)
{
    if (!reason.isEmpty() && !m_retry.isActive()) {
        // Spaced out like the writes themselves, so a full disk is not hammered.
        m_retry.start(std::max<std::chrono::milliseconds>(m_writer->interval(), kRetryInterval));
    }
    if (assignIfChanged(m_saveProblem, reason))
        Q_EMIT saveProblemChanged();
}

void ConversationStore::flush()
{
    if (m_dirty)
        writeWhole();
    m_writer->flush();
    folded(m_writer->writtenSequence());
    if (m_dirty)
        setSaveProblem(m_writer->lastFailure());
}

void ConversationStore::setSaveInterval(std::chrono::milliseconds interval)
{
    m_saveInterval = interval;
    m_writer->setMinimumInterval(interval == 0ms ? 0ms : 1000ms);
}
