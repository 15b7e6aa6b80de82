// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/ChatMessage.h"
#include "store/Conversation.h"
#include "store/StoredMessage.h"

#include <QList>
#include <QUuid>

class ConversationStore;

// The launcher's messages as the history keeps them, and back.
namespace StoredChat {

StoredMessage toStored(const ChatMessage &message);
// A fresh chat message: any role other than exactly "user" reads as the assistant's.
ChatMessage toChat(const StoredMessage &stored);
QList<ChatMessage> toChat(const QList<StoredMessage> &stored);

// Saves the messages (and the conversation's instructions) under activeID (a
// new id when null) and returns the id used; a null id when the list is empty
// and nothing was saved.
QUuid save(ConversationStore &store, const QList<ChatMessage> &messages, const QUuid &activeID,
           const QString &instructions = {});

} // namespace StoredChat
