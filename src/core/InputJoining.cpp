// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/InputJoining.h"

QString inputWithQuote(const QString &input, const QString &grabbed)
{
    QString quoted = grabbed;
    quoted.replace(QLatin1Char('\n'), QLatin1String("\n> "));
    const QString separator = input.isEmpty() ? QString() : QStringLiteral("\n");
    return input + separator + QLatin1String("> ") + quoted + QLatin1String("\n\n");
}

QString inputWithTranscript(const QString &input, const QString &transcript)
{
    if (transcript.isEmpty())
        return input;
    return input + (input.isEmpty() ? QString() : QStringLiteral(" ")) + transcript;
}
