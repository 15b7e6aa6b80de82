// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ChatMessage.h"

#include <utility>

ChatMessage::ChatMessage(Role role, QString content, std::optional<QByteArray> imageData, QString imageMIME,
                         bool isStreaming)
    : role(role)
    , content(std::move(content))
    , imageData(std::move(imageData))
    , imageMIME(std::move(imageMIME))
    , isStreaming(isStreaming)
{
}
