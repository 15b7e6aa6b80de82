// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/Conversation.h"
#include "store/ConversationFormat.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

// The files of the history store's tests, and the child runs for what may hang or be killed.

inline QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void writeAll(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// A question (the title) and its answer, dated seconds after the reference date.
inline Conversation conversationDated(const QString &title, double seconds, const QString &answer = QString())
{
    return Conversation(
        title, ConversationFormat::dateFromReferenceSeconds(seconds),
        {StoredMessage(QStringLiteral("user"), title), StoredMessage(QStringLiteral("assistant"), answer)});
}

// What the store moved aside in folder, by name pattern ("conversations.json.corrupt-*").
inline QStringList asideFiles(const QString &folder, const QString &pattern)
{
    return QDir(folder).entryList({pattern}, QDir::Files | QDir::System | QDir::Dirs | QDir::NoDotAndDotDot);
}

// Runs this test program again with arguments; false when it hangs.
inline bool runChild(const QStringList &arguments, int *exitCode)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), arguments);
    if (!child.waitForFinished(30000)) {
        child.kill();
        child.waitForFinished();
        return false;
    }
    *exitCode = child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1;
    return true;
}
