// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Result.h"

#include <QByteArray>
#include <QString>

// The transcript in each engine's answer (a 200 body), or why there is none.
// Texts come back trimmed; an empty one means nobody was heard.
Result<QString> geminiTranscript(const QByteArray &body);
Result<QString> chatCompletionTranscript(const QByteArray &body);
Result<QString> serverTranscript(const QByteArray &body);
