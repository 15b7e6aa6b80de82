#include "store/ConversationFile.h"

#include "store/ConversationFormat.h"

#include <QFile>
#include <QFileInfo>

namespace ConversationFile {

ReadResult read(const QString &filePath)
{
    ReadResult result;
    QFile file(filePath);
    if (!file.exists())
        return result;
    result.status = Status::Unreadable;
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = file.errorString();
        return result;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.error = file.errorString();
        return result;
    }
    std::optional<QList<Conversation>> decoded = ConversationFormat::decode(bytes, &result.error);
    if (!decoded)
        return result;
    result.status = Status::Read;
    result.conversations = std::move(*decoded);
    return result;
}

} // namespace ConversationFile
