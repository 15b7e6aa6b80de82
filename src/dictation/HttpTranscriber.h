// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "dictation/Transcriber.h"
#include "llm/ProviderRequest.h"
#include "platform/Result.h"

#include <QFutureWatcher>
#include <QPointer>

#include <functional>

class HttpExchange;
class LLMError;

// An engine reached over HTTP: how to ask it and how to read its answer.
struct TranscriptionService
{
    // Who is asked, as failures name it ("Gemini", "The transcription server").
    QString name;
    std::function<ProviderRequest(const QByteArray &wav, const QString &language)> request;
    std::function<Result<QString>(const QByteArray &body)> transcript;
    // Why it cannot be asked at all (no key); empty when it can.
    QString unusable;
};

// Sends the recording in one request and reads the transcript from the
// answer. The request (megabytes of Base64 for a long recording) is built on
// a worker thread, so the window never waits for it.
class HttpTranscriber : public Transcriber
{
    Q_OBJECT

public:
    explicit HttpTranscriber(TranscriptionService service, QObject *parent = nullptr);
    ~HttpTranscriber() override;

    void transcribe(const QByteArray &wav, const QString &language) override;
    void cancel() override;

private:
    void send(ProviderRequest request);
    void finish(const Result<QString> &result);
    QString describe(const LLMError &error) const;

    TranscriptionService m_service;
    QFutureWatcher<ProviderRequest> m_building;
    QPointer<HttpExchange> m_exchange;
    QByteArray m_body;
    bool m_running = false;
};
