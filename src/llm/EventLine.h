// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "llm/LineOutcome.h"

#include <QJsonObject>

#include <optional>

// A "data: " line of an event stream read as a JSON object. [DONE] ends the
// answer; any other line, or a payload that is no JSON object, is passed over:
// then outcome holds what the line does, and object is empty.
struct EventLine
{
    std::optional<LineOutcome> outcome;
    QJsonObject object;
};

EventLine readEventLine(const QString &line);

// The member under key when it is an object (a provider's usage figures).
std::optional<QJsonObject> objectMember(const QJsonObject &object, QLatin1String key);
