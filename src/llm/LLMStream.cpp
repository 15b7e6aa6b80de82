// SPDX-License-Identifier: GPL-3.0-or-later
#include "llm/LLMStream.h"

#include "llm/HttpExchange.h"

#include <QPointer>

LLMStream::LLMStream(ProviderRequest request, LLMProvider provider, QObject *parent)
    : QObject(parent)
    , m_exchange(new HttpExchange(std::move(request), this))
    , m_reader(provider)
{
    qRegisterMetaType<LLMError>();
    connect(m_exchange, &HttpExchange::received, this, &LLMStream::onReceived);
    connect(m_exchange, &HttpExchange::completed, this, &LLMStream::onCompleted);
    connect(m_exchange, &HttpExchange::failed, this, &LLMStream::onFailed);
    // Queued, so that the caller connects to the signals first.
    QMetaObject::invokeMethod(m_exchange, &HttpExchange::start, Qt::QueuedConnection);
}

void LLMStream::cancel()
{
    close();
}

void LLMStream::onReceived(const QByteArray &bytes)
{
    deliver(m_reader.feed(bytes));
}

void LLMStream::onCompleted()
{
    // The reader ends every answer here: whole, or cut off before the provider finished it.
    deliver(m_reader.finish());
}

void LLMStream::onFailed(const LLMError &error)
{
    if (m_closed)
        return;
    close();
    Q_EMIT failed(error);
}

void LLMStream::deliver(const LineOutcome &outcome)
{
    // A receiver may close or delete the stream from any of these signals.
    QPointer<LLMStream> self(this);
    const auto emitEach = [&](const QStringList &texts, void (LLMStream::*signal)(const QString &)) {
        for (const QString &text : texts) {
            if (m_closed)
                return false;
            Q_EMIT(this->*signal)(text);
            if (!self)
                return false;
        }
        return !m_closed;
    };
    if (!emitEach(outcome.reasoning, &LLMStream::reasoning) || !emitEach(outcome.fragments, &LLMStream::fragment))
        return;
    if (outcome.usage) {
        Q_EMIT usage(*outcome.usage);
        if (!self || m_closed)
            return;
    }
    switch (outcome.ending) {
    case LineOutcome::Ending::None:
        break;
    case LineOutcome::Ending::Done:
        close();
        Q_EMIT finished();
        break;
    case LineOutcome::Ending::Error:
        close();
        Q_EMIT failed(LLMError(LLMError::Kind::Provider, outcome.error));
        break;
    }
}

void LLMStream::close()
{
    m_closed = true;
    m_exchange->abort();
}
