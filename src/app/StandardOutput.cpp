// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/StandardOutput.h"

#include "app/StandardError.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace StandardOutput {

namespace {

// Why the first write failed (an errno value), -1 when no reason was given.
int g_failure = 0;

void noteFailure()
{
    if (g_failure == 0)
        g_failure = errno != 0 ? errno : -1;
}

} // namespace

bool write(QByteArrayView bytes)
{
    errno = 0;
    const size_t size = size_t(bytes.size());
    if ((size == 0 || std::fwrite(bytes.data(), 1, size, stdout) == size) && std::fflush(stdout) == 0)
        return true;
    noteFailure();
    return false;
}

bool finish()
{
    errno = 0;
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        noteFailure();
    if (g_failure == 0)
        return true;
    const QString reason =
        g_failure > 0 ? QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(g_failure)) : QString();
    StandardError::tell(QStringLiteral("tarnwick: cannot write to standard output") + reason);
    return false;
}

} // namespace StandardOutput
