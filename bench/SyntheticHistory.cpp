#include "SyntheticHistory.h"

#include "store/ConversationFormat.h"

#include <QCoreApplication>
#include <QFile>
#include <QRandomGenerator>
#include <QSaveFile>

#include <cstdio>

QList<Conversation> makeSyntheticHistory(double scale)
{
    QRandomGenerator random(1);
    const int count = int(1000 * scale);
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
            messages.append(StoredMessage(m % 2 ? QStringLiteral("assistant") : QStringLiteral("user"), content, image));
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

QString writeSyntheticHistoryFile(const QString &folder, double scale)
{
    const QString path = folder + QStringLiteral("/conversations.json");
    writeHistoryFile(path, makeSyntheticHistory(scale));
    std::printf("History: %d conversations, %g MB\n", int(1000 * scale), double(QFile(path).size()) / 1e6);
    std::fflush(stdout);
    return path;
}

double commandLineNumber(const QString &name, double fallback)
{
    const QStringList args = QCoreApplication::arguments();
    const qsizetype at = args.indexOf(name);
    return at >= 0 && at + 1 < args.size() ? args.at(at + 1).toDouble() : fallback;
}
