// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "llm/AnswerReader.h"
#include "llm/LLMError.h"
#include "llm/ProviderRequest.h"

#include <QObject>

class HttpExchange;

// One answer as it streams in: fragments in the order the server sent them,
// then exactly one of finished() or failed(). The model's reasoning comes
// apart from the fragments, before those of the same read; usage whenever
// the provider reports it, the last report being the whole. Made by LLMClient::stream; the
// request goes out once control returns to the event loop. The owner deletes
// the stream (deleteLater from a slot); deleting it aborts the request.
class LLMStream : public QObject
{
    Q_OBJECT
public:
    LLMStream(ProviderRequest request, LLMProvider provider, QObject *parent = nullptr);

    // Aborts the request at once, closing the connection so the provider
    // stops generating; no signal follows.
    void cancel();

Q_SIGNALS:
    void fragment(const QString &text);
    void reasoning(const QString &text);
    void usage(const LLMUsage &usage);
    void finished();
    void failed(const LLMError &error);

private:
    void onReceived(const QByteArray &bytes);
    void onCompleted();
    void onFailed(const LLMError &error);
    void deliver(const LineOutcome &outcome);
    void close();

    HttpExchange *m_exchange;
    AnswerReader m_reader;
    bool m_closed = false;
};
