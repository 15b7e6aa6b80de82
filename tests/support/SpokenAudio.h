// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

// Speech synthesised with espeak-ng, never a recording of a person; sox turns
// it into the format a test asks for (default 16 kHz mono 16-bit).
inline bool canSpeak()
{
    return !QStandardPaths::findExecutable(QStringLiteral("espeak-ng")).isEmpty()
        && !QStandardPaths::findExecutable(QStringLiteral("sox")).isEmpty();
}

// Writes the sentence to path as a WAV file; soxFormat are sox's output options.
inline bool speak(const QString &sentence, const QString &path,
                  const QStringList &soxFormat = {QStringLiteral("-r"), QStringLiteral("16000"), QStringLiteral("-c"),
                                                  QStringLiteral("1"), QStringLiteral("-b"), QStringLiteral("16")})
{
    const QString raw = path + QStringLiteral(".espeak.wav");
    return QProcess::execute(QStringLiteral("espeak-ng"), {"-v", "en-us", "-s", "150", "-w", raw, sentence}) == 0
        && QProcess::execute(QStringLiteral("sox"), QStringList{raw} + soxFormat + QStringList{path}) == 0;
}
