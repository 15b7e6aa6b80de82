// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/StoredMessage.h"

#include <utility>

StoredMessage::StoredMessage(QString role, QString content, std::optional<QByteArray> imageData, QString imageMIME)
    : role(std::move(role))
    , content(std::move(content))
    , imageData(std::move(imageData))
    , imageMIME(std::move(imageMIME))
{
}
