// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/WholeFileWriter.h"

namespace {

constexpr qsizetype kGatherBytes = 256 * 1024;

} // namespace

WholeFileWriter::WholeFileWriter(const QString &path)
    : m_file(path)
{
    m_file.setDirectWriteFallback(false);
    m_failed = !m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)
        || !m_file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

bool WholeFileWriter::write(QByteArrayView bytes)
{
    if (m_failed)
        return false;
    if (m_pending.size() + bytes.size() > kGatherBytes && !drain())
        return false;
    if (bytes.size() >= kGatherBytes) {
        m_failed = m_file.write(bytes.data(), bytes.size()) != bytes.size();
        return !m_failed;
    }
    m_pending.append(bytes);
    return true;
}

bool WholeFileWriter::drain()
{
    m_failed = m_failed || m_file.write(m_pending) != m_pending.size();
    m_pending.clear();
    return !m_failed;
}

Result<> WholeFileWriter::commit()
{
    if (!m_pending.isEmpty())
        drain();
    if (!m_failed && m_file.commit())
        return {};
    QString reason = m_file.errorString();
    if (m_file.error() == QFileDevice::NoError)
        reason = QStringLiteral("the disk took only part of the file");
    m_file.cancelWriting();
    return Result<>::failure(QStringLiteral("could not write %1: %2").arg(m_file.fileName(), reason));
}
