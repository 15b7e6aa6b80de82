// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/ConversationFile.h"

#include "store/ConversationFormat.h"
#include "store/HistoryFileReader.h"
#include "store/HistorySnapshot.h"
#include "store/JournalRecord.h"

#include <QFile>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QLocale>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace ConversationFile {

namespace {

QString sizeText(qint64 bytes)
{
    return QLocale::c().formattedDataSize(bytes);
}

// One conversation's JSON object, read from `offset` in the file.
Result<Conversation> decodeAt(const QByteArray &object, qint64 offset)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(object, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        return Result<Conversation>::failure(
            QStringLiteral("not JSON (%1 at byte %2)").arg(parseError.errorString()).arg(offset + parseError.offset));
    }
    return ConversationFormat::decodeConversation(document.object());
}

} // namespace

qint64 sizeLimitForMemory()
{
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0)
        return qint64(1) << 30;
    return qint64(pages) * pageSize / 4;
}

Bytes readBytes(const QString &filePath, qint64 sizeLimit)
{
    Bytes result;
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer forever.
    const int fd = ::open(QFile::encodeName(filePath).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return result;
        result.status = Status::Unreadable;
        result.error = QString::fromLocal8Bit(std::strerror(errno));
        return result;
    }
    result.status = Status::Unreadable;
    struct stat info
    {
    };
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        result.error = QStringLiteral("not a regular file");
        return result;
    }
    if (info.st_size > sizeLimit) {
        ::close(fd);
        result.error = QStringLiteral("too large to load (%1; this machine can load up to %2)")
                           .arg(sizeText(info.st_size), sizeText(sizeLimit));
        return result;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        result.error = file.errorString();
        return result;
    }
    try {
        result.bytes = file.readAll();
    } catch (const std::bad_alloc &) {
        result.bytes.clear();
        result.error = QStringLiteral("too large to load (%1)").arg(sizeText(info.st_size));
        return result;
    }
    if (file.error() != QFileDevice::NoError) {
        result.bytes.clear();
        result.error = file.errorString();
        return result;
    }
    result.status = Status::Read;
    return result;
}

ReadResult read(const QString &filePath)
{
    ReadResult result;
    Bytes bytes = readBytes(filePath);
    result.status = bytes.status;
    result.error = bytes.error;
    if (bytes.status != Status::Read)
        return result;
    result.status = Status::Unreadable;
    try {
        Result<QList<Conversation>> decoded = ConversationFormat::decode(std::move(bytes.bytes));
        if (!decoded) {
            result.error = decoded.message();
            return result;
        }
        result.conversations = std::move(decoded).value();
    } catch (const std::bad_alloc &) {
        result.error = QStringLiteral("too large to load");
        return result;
    }
    result.status = Status::Read;
    return result;
}

ReadResult readSummaries(const QString &filePath, const QSet<QUuid> &keepWhole)
{
    ReadResult result;
    HistoryFileReader reader(filePath);
    std::shared_ptr<const HistorySnapshot> snapshot;
    if (reader.handle() >= 0)
        snapshot = std::make_shared<const HistorySnapshot>(::fcntl(reader.handle(), F_DUPFD_CLOEXEC, 0));
    try {
        while (const std::optional<QByteArray> object = reader.next()) {
            Result<Conversation> decoded = decodeAt(*object, reader.offset());
            if (!decoded) {
                result.status = Status::Unreadable;
                result.error = decoded.message();
                return result;
            }
            Conversation conversation = std::move(decoded).value();
            if (!keepWhole.contains(conversation.id)) {
                conversation.messages = {};
                conversation.stored =
                    StoredSpan{snapshot, reader.offset(), object->size(), StoredSpan::checksumOf(*object)};
            }
            result.conversations.append(std::move(conversation));
        }
    } catch (const std::bad_alloc &) {
        result.status = Status::Unreadable;
        result.error = QStringLiteral("too large to load");
        result.conversations.clear();
        return result;
    }
    if (!reader.error().isEmpty()) {
        result.status = Status::Unreadable;
        result.error = reader.error();
        result.conversations.clear();
        return result;
    }
    result.status = reader.exists() ? Status::Read : Status::Missing;
    return result;
}

ReadResult readWithJournal(const QString &filePath, const QString &journalPath)
{
    ReadResult result = read(filePath);
    if (result.status == Status::Unreadable)
        return result;
    const Bytes journal = readBytes(journalPath);
    if (journal.status == Status::Read && JournalRecord::replay(journal.bytes, result.conversations).records > 0)
        result.status = Status::Read;
    std::stable_sort(result.conversations.begin(), result.conversations.end(),
                     [](const Conversation &a, const Conversation &b) { return a.date > b.date; });
    return result;
}

ScanResult scanWithJournal(const QString &filePath, const QString &journalPath, const Visitor &visit)
{
    ScanResult result;
    const Bytes journal = readBytes(journalPath);
    const QByteArray &changes = journal.status == Status::Read ? journal.bytes : QByteArray();
    // Conversations the journal changes wait for it; the others pass at once.
    const QSet<QUuid> named = JournalRecord::namedIds(changes);
    QList<Conversation> held;
    QHash<QUuid, qsizetype> heldOrder;

    HistoryFileReader reader(filePath);
    qsizetype order = 0;
    try {
        while (const std::optional<QByteArray> object = reader.next()) {
            Result<Conversation> conversation = decodeAt(*object, reader.offset());
            if (!conversation) {
                result.status = Status::Unreadable;
                result.error = conversation.message();
                return result;
            }
            if (named.contains(conversation.value().id)) {
                heldOrder.insert(conversation.value().id, order++);
                held.append(std::move(conversation).value());
            } else {
                visit(std::move(conversation).value(), order++);
            }
        }
    } catch (const std::bad_alloc &) {
        result.status = Status::Unreadable;
        result.error = QStringLiteral("too large to load");
        return result;
    }
    if (!reader.error().isEmpty()) {
        result.status = Status::Unreadable;
        result.error = reader.error();
        return result;
    }
    result.status = reader.exists() ? Status::Read : Status::Missing;
    if (JournalRecord::replay(changes, held).records > 0)
        result.status = Status::Read;
    // New conversations go in front of the file's, the latest first.
    const qsizetype added =
        std::count_if(held.cbegin(), held.cend(), [&](const Conversation &c) { return !heldOrder.contains(c.id); });
    for (qsizetype i = 0; i < held.size(); ++i) {
        const qsizetype rank = heldOrder.value(held.at(i).id, i - added);
        visit(std::move(held[i]), rank);
    }
    return result;
}

} // namespace ConversationFile
