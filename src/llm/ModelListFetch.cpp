// SPDX-License-Identifier: GPL-3.0-or-later
#include "llm/ModelListFetch.h"

#include "llm/HttpExchange.h"
#include "llm/ModelCatalogue.h"

namespace {
// The catalogue is a few megabytes; anything far larger is not one.
constexpr qsizetype kBodyLimit = 64 * 1024 * 1024;
} // namespace

void ModelListFetch::start(ProviderRequest request, QObject *context,
                           std::function<void(const LLMClient::ModelList &)> done)
{
    // Without a context there is no thread to report on and no one to tell.
    if (!context)
        return;
    new ModelListFetch(std::move(request), context, std::move(done));
}

ModelListFetch::ModelListFetch(ProviderRequest request, QObject *context,
                               std::function<void(const LLMClient::ModelList &)> done)
    : m_exchange(new HttpExchange(std::move(request), this))
    , m_context(context)
    , m_done(std::move(done))
{
    qRegisterMetaType<LLMError>();
    connect(m_exchange, &HttpExchange::received, this, &ModelListFetch::onReceived);
    connect(m_exchange, &HttpExchange::completed, this, [this] { report(parseModelList(m_body)); });
    connect(m_exchange, &HttpExchange::failed, this, [this](const LLMError &error) { report({{}, error}); });
    // Nobody is left to tell: stop downloading.
    connect(context, &QObject::destroyed, this, &QObject::deleteLater);
    m_exchange->start();
}

void ModelListFetch::onReceived(const QByteArray &bytes)
{
    m_body += bytes;
    if (m_body.size() > kBodyLimit) {
        m_exchange->abort();
        report({{}, LLMError(LLMError::Kind::Json, QStringLiteral("The model list is too large to read."))});
    }
}

void ModelListFetch::report(const LLMClient::ModelList &list)
{
    if (m_context) {
        QMetaObject::invokeMethod(
            m_context.data(), [done = m_done, list] { done(list); }, Qt::AutoConnection);
    }
    deleteLater();
}
