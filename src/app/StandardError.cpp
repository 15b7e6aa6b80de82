// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/StandardError.h"

#include <cstdio>

namespace StandardError {

void write(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

void tell(const QString &text)
{
    write(text + QLatin1Char('\n'));
}

int fail(int exitStatus, const QString &text)
{
    tell(text);
    return exitStatus;
}

} // namespace StandardError
