#include "llm/HttpExchange.h"

#include "llm/NetworkAccess.h"
#include "llm/ProviderErrorBody.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QUrl>

#include <atomic>

namespace {
// A failed answer's body only explains the status; a larger one is cut.
constexpr qsizetype kErrorBodyLimit = 64 * 1024;

std::atomic<qint64> g_idleTimeoutMs{60000};

QString secondsText(qint64 ms)
{
    if (ms == 1000)
        return QStringLiteral("1 second");
    if (ms % 1000 == 0)
        return QStringLiteral("%1 seconds").arg(ms / 1000);
    return QStringLiteral("%1 seconds").arg(ms / 1000.0, 0, 'g', 3);
}

QString cutOffText()
{
    return QStringLiteral("The provider closed the connection before the answer was complete.");
}

// QNetworkAccessManager can report a body cut short by a closed connection as
// complete; a declared length tells. A compressed body's length counts packed
// bytes, so it is not checked.
bool isShort(QNetworkReply *reply, qint64 received)
{
    const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
    return length.isValid() && !reply->hasRawHeader("Content-Encoding") && received < length.toLongLong();
}

LLMError transportError(QNetworkReply *reply)
{
    QString text;
    switch (reply->error()) {
    case QNetworkReply::ConnectionRefusedError:
        text = QStringLiteral("Could not connect to the provider (connection refused).");
        break;
    case QNetworkReply::HostNotFoundError:
        text = QStringLiteral("Could not find the provider's server. Check your internet connection.");
        break;
    case QNetworkReply::RemoteHostClosedError:
        text = cutOffText();
        break;
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
        text = QStringLiteral("The network is not available. Check your internet connection.");
        break;
    default:
        text = QStringLiteral("Network error: %1").arg(reply->errorString());
        break;
    }
    return LLMError(LLMError::Kind::Network, text);
}

bool isUsableAddress(const QUrl &url)
{
    const QString scheme = url.scheme();
    return url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
           && !url.host().isEmpty();
}
}

HttpExchange::HttpExchange(ProviderRequest request, QObject *parent)
    : QObject(parent)
    , m_request(std::move(request))
{
    m_idle.setSingleShot(true);
    connect(&m_idle, &QTimer::timeout, this, &HttpExchange::onIdle);
}

HttpExchange::~HttpExchange()
{
    releaseReply();
}

void HttpExchange::setIdleTimeout(std::chrono::milliseconds timeout)
{
    g_idleTimeoutMs = timeout.count();
}

std::chrono::milliseconds HttpExchange::idleTimeout()
{
    return std::chrono::milliseconds(g_idleTimeoutMs.load());
}

void HttpExchange::start()
{
    if (m_done || m_reply)
        return;
    // The address is composed from the user's key and model unencoded, so it
    // may hold characters no address may contain.
    const QUrl url(m_request.url, QUrl::StrictMode);
    if (!isUsableAddress(url)) {
        fail(LLMError(LLMError::Kind::InvalidRequest,
                      QStringLiteral("The request address is not valid. Check the model name, the API key "
                                     "and the provider address.")));
        return;
    }
    QNetworkRequest request(url);
    for (const auto &[name, value] : std::as_const(m_request.headers))
        request.setRawHeader(name, value);

    QNetworkAccessManager *manager = networkAccessForThisThread();
    m_reply = m_request.method == "GET" ? manager->get(request)
                                        : manager->sendCustomRequest(request, m_request.method, m_request.body);
    connect(m_reply, &QNetworkReply::readyRead, this, &HttpExchange::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &HttpExchange::onFinished);
    // Any byte moving either way shows the provider is still there.
    connect(m_reply, &QNetworkReply::uploadProgress, this, [this] { m_idle.start(); });
    connect(m_reply, &QNetworkReply::metaDataChanged, this, [this] { m_idle.start(); });
    m_idle.start(idleTimeout());
}

void HttpExchange::abort()
{
    m_done = true;
    m_idle.stop();
    releaseReply();
}

bool HttpExchange::readStatus()
{
    if (m_status == 0) {
        const QVariant status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        if (status.isValid())
            m_status = status.toInt();
    }
    return m_status != 0;
}

void HttpExchange::onReadyRead()
{
    if (m_done || !readStatus())
        return;
    m_idle.start();
    if (m_status != 200) {
        m_errorBody += m_reply->read(kErrorBodyLimit - m_errorBody.size());
        if (m_errorBody.size() >= kErrorBodyLimit)
            fail(errorForFailedResponse(m_status, m_errorBody, m_request.keyIsEmpty));
        return;
    }
    const QByteArray bytes = m_reply->readAll();
    m_receivedBytes += bytes.size();
    if (!bytes.isEmpty())
        Q_EMIT received(bytes);
}

void HttpExchange::onFinished()
{
    if (m_done)
        return;
    if (!readStatus()) {
        // No HTTP answer at all: a transport failure, or some other protocol.
        if (m_reply->error() != QNetworkReply::NoError)
            fail(transportError(m_reply));
        else
            fail(LLMError::httpError(500));
        return;
    }
    QPointer<HttpExchange> self(this);
    onReadyRead();
    if (!self || m_done)
        return;
    if (m_status != 200) {
        fail(errorForFailedResponse(m_status, m_errorBody, m_request.keyIsEmpty));
        return;
    }
    if (m_reply->error() != QNetworkReply::NoError) {
        fail(transportError(m_reply));
        return;
    }
    if (isShort(m_reply, m_receivedBytes)) {
        fail(LLMError(LLMError::Kind::Network, cutOffText()));
        return;
    }
    m_done = true;
    m_idle.stop();
    releaseReply();
    Q_EMIT completed();
}

void HttpExchange::onIdle()
{
    const qint64 ms = idleTimeout().count();
    fail(LLMError(LLMError::Kind::Timeout,
                  QStringLiteral("The provider stopped responding (no data for %1).").arg(secondsText(ms))));
}

void HttpExchange::fail(const LLMError &error)
{
    m_done = true;
    m_idle.stop();
    releaseReply();
    Q_EMIT failed(error);
}

void HttpExchange::releaseReply()
{
    if (!m_reply)
        return;
    QNetworkReply *reply = m_reply;
    m_reply = nullptr;
    reply->disconnect(this);
    if (reply->isRunning())
        reply->abort();
    reply->deleteLater();
}
