// SPDX-License-Identifier: GPL-3.0-or-later
#include "SyntheticHistory.h"

#include "store/ConversationFormat.h"

#include <QCoreApplication>
#include <QFile>
#include <QRandomGenerator>
#include <QSaveFile>

#include <cstdio>

namespace {

QString longAnswer(int conversation, int answer)
{
    static const QString words[] = {QStringLiteral("the "),   QStringLiteral("quicksort "), QStringLiteral("café "),
                                    QStringLiteral("über "),  QStringLiteral("partition "), QStringLiteral("a/b "),
                                    QStringLiteral("naïve "), QStringLiteral("pivot "),     QStringLiteral("array, ")};
    QString text = QStringLiteral("Answer %1 of conversation %2.\n\n").arg(answer).arg(conversation);
    for (int i = 0; text.size() < 50'000; ++i) {
        if (i % 400 == 399)
            text += QStringLiteral("\n```python\ndef sort(xs):  # \"quoted\"\n    return sorted(xs)\n```\n\n");
        text += words[(i * 7 + conversation) % std::size(words)];
    }
    return text;
}

QList<Conversation> makeTextHistory(int count)
{
    QList<Conversation> history;
    for (int i = 0; i < count; ++i) {
        QList<StoredMessage> messages;
        for (int m = 0; m < 2; ++m) {
            messages.append(StoredMessage(
                QStringLiteral("user"), QStringLiteral("Question %1 of conversation %2 about sorting").arg(m).arg(i)));
            messages.append(StoredMessage(QStringLiteral("assistant"), longAnswer(i, m)));
        }
        history.append(Conversation(QStringLiteral("Conversation %1").arg(i),
                                    ConversationFormat::dateFromReferenceSeconds(7e8 + i * 3600.5), messages));
    }
    return history;
}

} // namespace

const char *historyKindName(HistoryKind kind)
{
    return kind == HistoryKind::Text ? "text-heavy" : "image-heavy";
}

QList<Conversation> makeSyntheticHistory(double scale, HistoryKind kind)
{
    QRandomGenerator random(1);
    const int count = int(1000 * scale);
    if (kind == HistoryKind::Text)
        return makeTextHistory(count);
    QList<Conversation> history;
    for (int i = 0; i < count; ++i) {
        QList<StoredMessage> messages;
        for (int m = 0; m < 6; ++m) {
            QString content;
            while (content.size() < 1000)
                content += QStringLiteral("Some words of message %1 in conversation %2, with a/slash. ").arg(m).arg(i);
            std::optional<QByteArray> image;
            if (m == 0 && i % 5 == 0) {
                QByteArray bytes(350'000, Qt::Uninitialized);
                random.fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
                image = bytes;
            }
            messages.append(
                StoredMessage(m % 2 ? QStringLiteral("assistant") : QStringLiteral("user"), content, image));
        }
        history.append(Conversation(QStringLiteral("Conversation %1").arg(i),
                                    ConversationFormat::dateFromReferenceSeconds(7e8 + i * 3600.5), messages));
    }
    return history;
}

bool writeHistoryFile(const QString &path, const QList<Conversation> &conversations)
{
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    file.write(ConversationFormat::encode(conversations));
    return file.commit();
}

QString writeSyntheticHistoryFile(const QString &folder, double scale, HistoryKind kind)
{
    const QString path = folder + QStringLiteral("/conversations.json");
    writeHistoryFile(path, makeSyntheticHistory(scale, kind));
    std::printf("History (%s): %d conversations, %g MB\n", historyKindName(kind), int(1000 * scale),
                double(QFile(path).size()) / 1e6);
    std::fflush(stdout);
    return path;
}

double commandLineNumber(const QString &name, double fallback)
{
    const QStringList args = QCoreApplication::arguments();
    const qsizetype at = args.indexOf(name);
    return at >= 0 && at + 1 < args.size() ? args.at(at + 1).toDouble() : fallback;
}
