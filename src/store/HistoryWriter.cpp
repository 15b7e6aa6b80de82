// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/HistoryWriter.h"

#include "platform/Logging.h"
#include "platform/WholeFileWriter.h"
#include "store/ConversationFormat.h"
#include "store/HistorySnapshot.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <unistd.h>
#include <utility>

using Clock = std::chrono::steady_clock;

namespace {

constexpr double kBytesPerSecond = 4e6;

} // namespace

HistoryWriter::HistoryWriter(QString filePath, QObject *parent)
    : QObject(parent)
    , m_filePath(std::move(filePath))
    , m_interval(m_minimumInterval)
    , m_thread([this] { run(); })
{
}

HistoryWriter::~HistoryWriter()
{
    m_thread.stop();
}

void HistoryWriter::setPreparation(Preparation preparation)
{
    std::lock_guard lock(m_thread.mutex());
    m_preparation = preparation;
}

void HistoryWriter::setMinimumInterval(std::chrono::milliseconds interval)
{
    {
        std::lock_guard lock(m_thread.mutex());
        m_minimumInterval = interval;
        m_interval = interval;
    }
    m_thread.wake();
}

QString HistoryWriter::lastFailure() const
{
    std::lock_guard lock(m_thread.mutex());
    return m_lastFailure;
}

std::chrono::milliseconds HistoryWriter::interval() const
{
    std::lock_guard lock(m_thread.mutex());
    return std::chrono::duration_cast<std::chrono::milliseconds>(m_interval);
}

void HistoryWriter::submit(const QList<Conversation> &conversations, quint64 sequence)
{
    {
        std::lock_guard lock(m_thread.mutex());
        m_pending = Job{conversations, sequence};
    }
    m_thread.wake();
}

void HistoryWriter::flush()
{
    std::unique_lock lock(m_thread.mutex());
    m_flushing = true;
    m_thread.wake();
    m_idle.wait(lock, [this] { return !m_pending && !m_busy; });
    m_flushing = false;
}

void HistoryWriter::run()
{
    std::unique_lock lock(m_thread.mutex());
    for (;;) {
        m_thread.wait(lock, [this] { return m_pending.has_value(); });
        if (!m_pending)
            return;
        // Space the writes out unless someone waits for them.
        const auto due = m_lastWriteEnd + m_interval;
        m_thread.waitUntil(lock, due, [this] { return m_flushing; });

        std::optional<Job> job = std::exchange(m_pending, std::nullopt);
        const quint64 sequence = job->sequence;
        const Preparation preparation = std::exchange(m_preparation, Preparation::None);
        m_busy = true;
        lock.unlock();

        const auto started = Clock::now();
        Result<> outcome = prepare(preparation);
        const bool prepared = outcome.ok();
        qint64 size = 0;
        QList<SpanMove> moves;
        if (prepared)
            outcome = write(*job, &size, &moves);
        job.reset(); // drop our share of the old list outside the lock
        const auto finished = Clock::now();

        lock.lock();
        m_busy = false;
        m_lastWriteEnd = finished;
        const auto share =
            std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(size / kBytesPerSecond));
        if (m_minimumInterval.count() > 0)
            m_interval = std::max<Clock::duration>({m_minimumInterval, 4 * (finished - started), share});
        if (!prepared && m_preparation == Preparation::None)
            m_preparation = preparation;
        m_lastFailure = outcome.message();
        if (!m_pending)
            m_idle.notify_all();
        if (!outcome) {
            QMetaObject::invokeMethod(
                this, [this, sequence, reason = outcome.message()] { Q_EMIT writeFailed(sequence, reason); },
                Qt::QueuedConnection);
        } else {
            QMetaObject::invokeMethod(
                this,
                [this, sequence = m_writtenSequence.load(), moves = std::move(moves)] {
                Q_EMIT spansMoved(moves);
                Q_EMIT written(sequence);
                },
                Qt::QueuedConnection);
        }
    }
}

Result<> HistoryWriter::prepare(Preparation preparation)
{
    if (preparation == Preparation::None || !QFileInfo::exists(m_filePath))
        return {};
    if (preparation == Preparation::SetAside) {
        const std::optional<QString> target = setAside(m_filePath);
        if (!target)
            return Result<>::failure(
                QStringLiteral("could not move the unreadable history file %1 aside").arg(m_filePath));
        QMetaObject::invokeMethod(
            this, [this, moved = *target] { Q_EMIT setAsideDone(moved); }, Qt::QueuedConnection);
        return {};
    }
    backUp();
    return {};
}

std::optional<QString> HistoryWriter::setAside(const QString &path)
{
    const QString aside = path + QStringLiteral(".corrupt-")
        + QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = aside;
    for (int n = 2; QFileInfo::exists(target) || QFileInfo(target).isSymLink(); ++n)
        target = aside + QLatin1Char('-') + QString::number(n);
    // rename(2) rather than QFile::rename, which would copy a FIFO's endless stream.
    if (::rename(QFile::encodeName(path).constData(), QFile::encodeName(target).constData()) != 0)
        return std::nullopt;
    return target;
}

// The backup is a second name for the old file: the save that follows
// replaces the file with a new one, so the old bytes stay under .bak.
// A missing backup does not stop saving: the file itself is still good.
void HistoryWriter::backUp()
{
    const QByteArray path = QFile::encodeName(m_filePath);
    const QByteArray backup = path + ".bak";
    const QByteArray temporary = backup + ".tmp";
    ::unlink(temporary.constData());
    if (::link(path.constData(), temporary.constData()) == 0) {
        if (::rename(temporary.constData(), backup.constData()) == 0)
            return;
        ::unlink(temporary.constData());
    }
    QFile old(m_filePath);
    if (old.open(QIODevice::ReadOnly)) {
        WholeFileWriter copy(QFile::decodeName(backup));
        copy.write(old.readAll());
        copy.commit();
    }
}

Result<> HistoryWriter::write(const Job &job, qint64 *size, QList<SpanMove> *moves)
{
    WholeFileWriter file(m_filePath);
    *size = 0;
    const auto put = [&](const QByteArray &bytes) {
        *size += bytes.size();
        return file.write(bytes);
    };
    bool ok = put(QByteArrayLiteral("["));
    bool first = true;
    for (qsizetype i = 0; ok && i < job.conversations.size(); ++i) {
        const Conversation &conversation = job.conversations.at(i);
        QByteArray bytes;
        if (const std::optional<StoredSpan> &span = conversation.stored) {
            std::optional<QByteArray> copied = span->read();
            // Something else changed the old file in place: those bytes may not
            // even be JSON now, and would spoil the new file for every conversation.
            if (!copied) {
                qCWarning(lcHistory) << "A conversation damaged in the old history file was left out:"
                                     << conversation.title;
                continue;
            }
            bytes = std::move(*copied);
        } else {
            bytes = ConversationFormat::encodeConversation(conversation);
        }
        if (!std::exchange(first, false))
            ok = put(QByteArrayLiteral(","));
        if (conversation.stored)
            moves->append(
                {*conversation.stored, StoredSpan{nullptr, *size, bytes.size(), conversation.stored->checksum}});
        ok = ok && put(bytes);
    }
    put(QByteArrayLiteral("]"));
    Result<> committed = file.commit();
    if (!committed) {
        moves->clear();
        return committed;
    }
    // Kept open, so the new places stay good whatever later happens at the path.
    const std::shared_ptr<const HistorySnapshot> written = HistorySnapshot::open(m_filePath, *size);
    if (written) {
        for (SpanMove &move : *moves)
            move.to.file = written;
    } else {
        moves->clear();
    }
    m_bytesWritten += *size;
    ++m_writeCount;
    m_writtenSequence = job.sequence;
    return {};
}
