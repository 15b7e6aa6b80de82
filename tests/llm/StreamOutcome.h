// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "llm/LLMError.h"
#include "llm/LLMStream.h"

#include <QEventLoop>
#include <QStringList>
#include <QTimer>

#include <optional>

// Everything a stream said, collected until its end (or a generous limit).
struct StreamOutcome
{
    QStringList fragments;
    int finishedCount = 0;
    std::optional<LLMError> error;
    int failedCount = 0;

    bool ended() const { return finishedCount + failedCount > 0; }

    static StreamOutcome collect(LLMStream *stream, int limitMs = 20000)
    {
        StreamOutcome outcome;
        QEventLoop loop;
        QObject::connect(stream, &LLMStream::fragment, &loop, [&](const QString &text) { outcome.fragments << text; });
        QObject::connect(stream, &LLMStream::finished, &loop, [&] {
            ++outcome.finishedCount;
            loop.quit();
        });
        QObject::connect(stream, &LLMStream::failed, &loop, [&](const LLMError &error) {
            ++outcome.failedCount;
            outcome.error = error;
            loop.quit();
        });
        QTimer::singleShot(limitMs, &loop, &QEventLoop::quit);
        loop.exec();
        return outcome;
    }
};
