// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "llm/LLMError.h"

#include <QByteArray>
#include <QJsonObject>

// The "message" of an {"error": {...}} object, or a plain sentence naming its
// code when the provider gave no message.
QString providerErrorMessage(const QJsonObject &withError);

// The provider's message in an error body, or empty.
QString providerMessageInBody(const QByteArray &body);

// The error for a failed status, explained by the body the provider sent.
LLMError errorForFailedResponse(int status, const QByteArray &body, bool keyIsEmpty);
