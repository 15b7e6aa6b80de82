// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/HistoryJournal.h"

#include "platform/WholeFileWriter.h"
#include "store/JournalRecord.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

bool writeAll(int fd, const char *data, qint64 size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size_t(size));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= written;
    }
    return true;
}

} // namespace

HistoryJournal::HistoryJournal(QString path)
    : m_path(std::move(path))
    , m_syncThread([this] { syncLoop(); })
{
}

HistoryJournal::~HistoryJournal()
{
    m_syncThread.stop();
    close();
}

Result<> HistoryJournal::open()
{
    if (m_fd >= 0)
        return {};
    // O_NONBLOCK keeps a FIFO at the path from stalling us; only a regular file is used.
    const int fd =
        ::open(QFile::encodeName(m_path).constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0600);
    if (fd < 0)
        return Result<>::failure(QStringLiteral("could not open %1: %2").arg(m_path, systemError()));
    struct stat info
    {
    };
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return Result<>::failure(QStringLiteral("could not open %1: not a regular file").arg(m_path));
    }
    if (info.st_size == 0) {
        const QByteArray header = JournalRecord::header();
        if (!writeAll(fd, header.constData(), header.size())) {
            const QString why = QStringLiteral("could not write %1: %2").arg(m_path, systemError());
            ::ftruncate(fd, 0);
            ::close(fd);
            return Result<>::failure(why);
        }
        info.st_size = header.size();
    }
    std::lock_guard lock(m_syncThread.mutex());
    m_fd = fd;
    m_size = info.st_size;
    return {};
}

void HistoryJournal::close()
{
    std::lock_guard lock(m_syncThread.mutex());
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_size = 0;
}

Result<> HistoryJournal::append(const QByteArray &records)
{
    if (Result<> opened = open(); !opened)
        return opened;
    if (!writeAll(m_fd, records.constData(), records.size())) {
        const QString why = QStringLiteral("could not write %1: %2").arg(m_path, systemError());
        if (m_size <= JournalRecord::header().size()) {
            close(); // nothing but the header: no journal at all
            ::unlink(QFile::encodeName(m_path).constData());
        } else if (::ftruncate(m_fd, m_size) != 0) {
            close(); // left as it is; replaying it keeps every whole record
        }
        return Result<>::failure(why);
    }
    m_size += records.size();
    {
        std::lock_guard lock(m_syncThread.mutex());
        m_dirty = true;
    }
    m_syncThread.wake();
    return {};
}

Result<> HistoryJournal::replace(const QByteArray &records)
{
    close();
    if (records.isEmpty()) {
        if (::unlink(QFile::encodeName(m_path).constData()) == 0 || errno == ENOENT)
            return {};
        return Result<>::failure(QStringLiteral("could not remove %1: %2").arg(m_path, systemError()));
    }
    WholeFileWriter file(m_path);
    file.write(JournalRecord::header());
    file.write(records);
    return file.commit();
}

void HistoryJournal::syncLoop()
{
    std::unique_lock lock(m_syncThread.mutex());
    for (;;) {
        m_syncThread.wait(lock, [this] { return m_dirty; });
        if (m_syncThread.stopping())
            return;
        m_dirty = false;
        if (m_fd >= 0)
            ::fdatasync(m_fd);
        // One flush covers every record of the next moment.
        m_syncThread.waitFor(lock, 200ms);
    }
}
