// SPDX-License-Identifier: GPL-3.0-or-later
#include "llm/HttpExchange.h"

#include "llm/NetworkAccess.h"
#include "llm/ProviderErrorBody.h"
#include "llm/ServerAddress.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QUrl>

#include <atomic>
#include <optional>

namespace {
// A failed answer's body only explains the status; a larger one is cut.
constexpr qsizetype kErrorBodyLimit = 64 * 1024;

// Qt stops reading from the socket when this much is waiting: a fast endless
// answer cannot pile up unread bytes.
constexpr qint64 kReadBufferSize = 1024 * 1024;

std::atomic<qint64> g_idleTimeoutMs{60000};
std::atomic<qint64> g_firstByteTimeoutMs{300000};

QString secondsText(qint64 ms)
{
    if (ms == 1000)
        return QStringLiteral("1 second");
    if (ms % 1000 == 0)
        return QStringLiteral("%1 seconds").arg(ms / 1000);
    return QStringLiteral("%1 seconds").arg(ms / 1000.0, 0, 'g', 3);
}

// QNetworkAccessManager can report a body cut short by a closed connection as
// complete; a declared length tells. A compressed body's length counts packed
// bytes, so it is not checked.
bool isShort(QNetworkReply *reply, qint64 received)
{
    const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
    return length.isValid() && !reply->hasRawHeader("Content-Encoding") && received < length.toLongLong();
}

// A server on the user's side is named, with what to check.
std::optional<QString> serverReachText(QNetworkReply::NetworkError error, const QString &address)
{
    if (address.isEmpty())
        return std::nullopt;
    if (error == QNetworkReply::ConnectionRefusedError)
        return QStringLiteral("Cannot reach %1: connection refused. Is the server running?").arg(address);
    if (error == QNetworkReply::HostNotFoundError)
        return QStringLiteral("Cannot reach %1: host not found. Check the server address.").arg(address);
    return std::nullopt;
}

LLMError transportError(QNetworkReply *reply, const QString &serverAddress)
{
    if (const auto text = serverReachText(reply->error(), serverAddress))
        return LLMError(LLMError::Kind::Network, *text);
    QString text;
    switch (reply->error()) {
    case QNetworkReply::ConnectionRefusedError:
        text = QStringLiteral("Could not connect to the provider (connection refused).");
        break;
    case QNetworkReply::HostNotFoundError:
        text = QStringLiteral("Could not find the provider's server. Check your internet connection.");
        break;
    case QNetworkReply::RemoteHostClosedError:
        text = LLMError::cutOff().errorDescription();
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

int defaultPort(const QUrl &url)
{
    return url.scheme() == QLatin1String("https") ? 443 : 80;
}

bool sameOrigin(const QUrl &a, const QUrl &b)
{
    return a.scheme() == b.scheme() && a.host().compare(b.host(), Qt::CaseInsensitive) == 0
        && a.port(defaultPort(a)) == b.port(defaultPort(b));
}

bool isUsableAddress(const QUrl &url)
{
    const QString scheme = url.scheme();
    return url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
        && !url.host().isEmpty();
}
} // namespace

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

void HttpExchange::setFirstByteTimeout(std::chrono::milliseconds timeout)
{
    g_firstByteTimeoutMs = timeout.count();
}

std::chrono::milliseconds HttpExchange::firstByteTimeout()
{
    return std::chrono::milliseconds(g_firstByteTimeoutMs.load());
}

void HttpExchange::rearmIdle()
{
    const bool waitingForModel = !m_request.serverAddress.isEmpty() && m_receivedBytes == 0;
    m_idle.start(waitingForModel ? firstByteTimeout() : idleTimeout());
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
    // Qt would follow a redirect to any host with the key in the headers.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::UserVerifiedRedirectPolicy);

    // Qt itself sends requests to a loopback address past any proxy.
    QNetworkAccessManager *manager = networkAccessForThisThread();
    m_reply = m_request.method == "GET" ? manager->get(request)
                                        : manager->sendCustomRequest(request, m_request.method, m_request.body);
    m_reply->setReadBufferSize(kReadBufferSize);
    connect(m_reply, &QNetworkReply::readyRead, this, &HttpExchange::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &HttpExchange::onFinished);
    connect(m_reply, &QNetworkReply::redirected, this, &HttpExchange::onRedirected);
    // Any byte moving either way shows the provider is still there.
    connect(m_reply, &QNetworkReply::uploadProgress, this, &HttpExchange::rearmIdle);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, &HttpExchange::rearmIdle);
    rearmIdle();
}

void HttpExchange::onRedirected(const QUrl &target)
{
    if (m_done || !m_reply)
        return;
    const QUrl resolved = m_reply->url().resolved(target);
    if (sameOrigin(resolved, QUrl(m_request.url))) {
        m_status = 0;
        Q_EMIT m_reply->redirectAllowed();
        return;
    }
    const QString origin =
        resolved.adjusted(QUrl::RemoveUserInfo | QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment)
            .toString();
    fail(LLMError(LLMError::Kind::Network,
                  QStringLiteral("The provider redirected the request to %1, another server. Tarnwick does not "
                                 "follow it, so your key was not sent there.")
                      .arg(origin)));
}

bool HttpExchange::checkContentType()
{
    if (m_contentTypeChecked || m_status != 200 || !m_request.expectsEventStream)
        return m_wrongContentType.isEmpty();
    m_contentTypeChecked = true;
    const QString type = m_reply->header(QNetworkRequest::ContentTypeHeader).toString();
    const QString essence = type.section(QLatin1Char(';'), 0, 0).trimmed().toLower();
    // Servers that name no type at all are given the benefit of the doubt.
    if (!essence.isEmpty() && essence != QLatin1String("text/event-stream"))
        m_wrongContentType = essence;
    return m_wrongContentType.isEmpty();
}

LLMError HttpExchange::errorForBody() const
{
    if (m_status != 200)
        return errorForFailedResponse(m_status, m_errorBody, m_request.keyIsEmpty);
    QString text = QStringLiteral("The provider answered with %1 instead of an event stream. A network sign-in "
                                  "page or a proxy may be in the way.")
                       .arg(m_wrongContentType);
    const QString message = providerMessageInBody(m_errorBody);
    if (!message.isEmpty())
        text += QLatin1Char('\n') + message;
    return LLMError(LLMError::Kind::Provider, text);
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
    if (m_status != 200 || !checkContentType()) {
        rearmIdle();
        m_errorBody += m_reply->read(kErrorBodyLimit - m_errorBody.size());
        if (m_errorBody.size() >= kErrorBodyLimit)
            fail(errorForBody());
        return;
    }
    const QByteArray bytes = m_reply->readAll();
    m_receivedBytes += bytes.size();
    rearmIdle();
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
            fail(transportError(m_reply, m_request.serverAddress));
        else
            fail(LLMError::httpError(500));
        return;
    }
    QPointer<HttpExchange> self(this);
    onReadyRead();
    if (!self || m_done)
        return;
    if (m_status != 200 || !m_wrongContentType.isEmpty()) {
        fail(errorForBody());
        return;
    }
    if (m_reply->error() != QNetworkReply::NoError) {
        fail(transportError(m_reply, m_request.serverAddress));
        return;
    }
    if (isShort(m_reply, m_receivedBytes)) {
        fail(LLMError::cutOff());
        return;
    }
    m_done = true;
    m_idle.stop();
    releaseReply();
    Q_EMIT completed();
}

void HttpExchange::onIdle()
{
    if (!m_request.serverAddress.isEmpty() && m_receivedBytes == 0) {
        fail(LLMError(LLMError::Kind::Timeout,
                      QStringLiteral("The server at %1 sent nothing for %2. It may still be loading the model, "
                                     "or it is stuck.")
                          .arg(m_request.serverAddress, secondsText(firstByteTimeout().count()))));
        return;
    }
    const qint64 ms = idleTimeout().count();
    fail(LLMError(LLMError::Kind::Timeout,
                  QStringLiteral("The provider stopped responding (no data for %1).").arg(secondsText(ms))));
}

void HttpExchange::fail(const LLMError &error)
{
    m_done = true;
    m_idle.stop();
    releaseReply();
    // Qt's own error texts may quote the address, password and all.
    Q_EMIT failed(error.withDescription(ServerAddress::masked(error.errorDescription(), m_request.url)));
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
