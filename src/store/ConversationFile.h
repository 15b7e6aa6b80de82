#pragma once

#include "store/Conversation.h"

#include <QList>
#include <QString>

// Reading the history file, telling a missing file from one we cannot use.
namespace ConversationFile {

enum class Status { Missing, Unreadable, Read };

struct ReadResult
{
    Status status = Status::Missing;
    QList<Conversation> conversations; // in file order
    QString error;                     // why an existing file is unusable
};

ReadResult read(const QString &filePath);

} // namespace ConversationFile
