// SPDX-License-Identifier: GPL-3.0-or-later
#include "dictation/HttpTranscriber.h"

#include "llm/HttpExchange.h"
#include "llm/LLMError.h"

#include <QtConcurrent>

namespace {
// A transcript of five minutes of speech is a few kilobytes.
constexpr qsizetype kBodyLimit = 4 * 1024 * 1024;
} // namespace

HttpTranscriber::HttpTranscriber(TranscriptionService service, QObject *parent)
    : Transcriber(parent)
    , m_service(std::move(service))
{
    qRegisterMetaType<LLMError>();
    connect(&m_building, &QFutureWatcher<ProviderRequest>::finished, this, [this] {
        if (m_running)
            send(m_building.result());
    });
}

HttpTranscriber::~HttpTranscriber()
{
    cancel();
    m_building.waitForFinished();
}

void HttpTranscriber::transcribe(const QByteArray &wav, const QString &language)
{
    cancel();
    m_running = true;
    if (!m_service.unusable.isEmpty()) {
        QMetaObject::invokeMethod(
            this, [this] { finish(Result<QString>::failure(m_service.unusable)); }, Qt::QueuedConnection);
        return;
    }
    m_building.setFuture(QtConcurrent::run(m_service.request, wav, language));
}

void HttpTranscriber::cancel()
{
    m_running = false;
    m_body.clear();
    if (m_exchange) {
        m_exchange->abort();
        m_exchange->deleteLater();
    }
}

void HttpTranscriber::send(ProviderRequest request)
{
    auto *exchange = new HttpExchange(std::move(request), this);
    m_exchange = exchange;
    connect(exchange, &HttpExchange::received, this, [this, exchange](const QByteArray &bytes) {
        m_body += bytes;
        if (m_body.size() > kBodyLimit) {
            exchange->abort();
            finish(Result<QString>::failure(QStringLiteral("The answer is far too large to be a transcript.")));
        }
    });
    connect(exchange, &HttpExchange::completed, this, [this] { finish(m_service.transcript(m_body)); });
    connect(exchange, &HttpExchange::failed, this,
            [this](const LLMError &error) { finish(Result<QString>::failure(describe(error))); });
    exchange->start();
}

void HttpTranscriber::finish(const Result<QString> &result)
{
    if (!m_running)
        return;
    m_running = false;
    m_body.clear();
    if (m_exchange)
        m_exchange->deleteLater();
    if (result)
        Q_EMIT transcribed(*result);
    else
        Q_EMIT failed(QStringLiteral("%1 could not transcribe: %2").arg(m_service.name, result.message()));
}

QString HttpTranscriber::describe(const LLMError &error) const
{
    if (error.kind() == LLMError::Kind::Http && error.status() == 413)
        return QStringLiteral("the recording is too large for it (HTTP 413).");
    if (error.kind() == LLMError::Kind::Http && error.status() == 404)
        return QStringLiteral("the address has no transcription service (HTTP 404). Check the address in Settings.");
    return error.errorDescription();
}
