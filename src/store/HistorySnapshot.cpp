// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/HistorySnapshot.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

HistorySnapshot::HistorySnapshot(int descriptor)
    : m_descriptor(descriptor)
{
}

HistorySnapshot::~HistorySnapshot()
{
    if (m_descriptor >= 0)
        ::close(m_descriptor);
}

std::shared_ptr<const HistorySnapshot> HistorySnapshot::open(const QString &path, qint64 size)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    auto snapshot = std::make_shared<const HistorySnapshot>(fd);
    struct stat info
    {
    };
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size != size)
        return nullptr;
    return snapshot;
}

std::optional<QByteArray> HistorySnapshot::read(qint64 offset, qint64 length) const
{
    if (offset < 0 || length < 0)
        return std::nullopt;
    QByteArray bytes(length, Qt::Uninitialized);
    qint64 done = 0;
    while (done < length) {
        const ssize_t got = ::pread(m_descriptor, bytes.data() + done, size_t(length - done), offset + done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return std::nullopt;
        done += got;
    }
    return bytes;
}
