// SPDX-License-Identifier: GPL-3.0-or-later
#include "llm/HttpExchange.h"

#include "llm/HttpRequestHead.h"
#include "llm/ProviderErrorBody.h"
#include "llm/ServerAddress.h"

#include <QHostAddress>
#include <QNetworkProxy>
#include <QSslSocket>

#include <atomic>
#include <optional>

namespace {
// A failed answer's body only explains the status; a larger one is cut.
constexpr qsizetype kErrorBodyLimit = 64 * 1024;
// What the socket holds before it stops reading: the rest waits in the
// kernel, and the sender with it. One turn of the event loop takes what is
// there, so that a slow reader gets its text in few large pieces.
constexpr qint64 kSocketBuffer = 1024 * 1024;
constexpr int kRedirectLimit = 10;

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

// A server on the user's side is named, with what to check.
std::optional<QString> serverReachText(QAbstractSocket::SocketError error, const QString &address)
{
    if (address.isEmpty())
        return std::nullopt;
    if (error == QAbstractSocket::ConnectionRefusedError)
        return QStringLiteral("Cannot reach %1: connection refused. Is the server running?").arg(address);
    if (error == QAbstractSocket::HostNotFoundError)
        return QStringLiteral("Cannot reach %1: host not found. Check the server address.").arg(address);
    return std::nullopt;
}

LLMError transportError(QAbstractSocket::SocketError error, const QString &errorString, const QString &serverAddress)
{
    if (const auto text = serverReachText(error, serverAddress))
        return LLMError(LLMError::Kind::Network, *text);
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return LLMError(LLMError::Kind::Network,
                        QStringLiteral("Could not connect to the provider (connection refused)."));
    case QAbstractSocket::HostNotFoundError:
        return LLMError(LLMError::Kind::Network,
                        QStringLiteral("Could not find the provider's server. Check your internet connection."));
    case QAbstractSocket::RemoteHostClosedError:
        return LLMError::cutOff();
    case QAbstractSocket::NetworkError:
        return LLMError(LLMError::Kind::Network,
                        QStringLiteral("The network is not available. Check your internet connection."));
    default:
        return LLMError(LLMError::Kind::Network, QStringLiteral("Network error: %1").arg(errorString));
    }
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

bool isRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

bool isLoopback(const QString &host)
{
    return host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0 || QHostAddress(host).isLoopback();
}

// The desktop's proxy for the address, as Qt finds it; a server on this
// machine is reached directly, as no proxy elsewhere could reach it.
QNetworkProxy proxyFor(const QUrl &url)
{
    if (isLoopback(url.host()))
        return QNetworkProxy::NoProxy;
    const bool secure = url.scheme() == QLatin1String("https");
    const QList<QNetworkProxy> proxies = QNetworkProxyFactory::proxyForQuery(QNetworkProxyQuery(url));
    for (const QNetworkProxy &proxy : proxies) {
        switch (proxy.type()) {
        case QNetworkProxy::NoProxy:
        case QNetworkProxy::DefaultProxy:
            return QNetworkProxy::NoProxy;
        case QNetworkProxy::HttpProxy:
        case QNetworkProxy::Socks5Proxy:
            return proxy;
        case QNetworkProxy::HttpCachingProxy:
            // It forwards plain requests and cannot tunnel encrypted ones.
            if (!secure)
                return proxy;
            break;
        default:
            break;
        }
    }
    return QNetworkProxy::NoProxy;
}
} // namespace

HttpExchange::HttpExchange(ProviderRequest request, QObject *parent)
    : QObject(parent)
    , m_request(std::move(request))
    , m_parser(m_request.method == "HEAD")
{
    m_idle.setSingleShot(true);
    connect(&m_idle, &QTimer::timeout, this, &HttpExchange::onIdle);
    m_nextPiece.setSingleShot(true);
    m_nextPiece.setInterval(0);
    connect(&m_nextPiece, &QTimer::timeout, this, &HttpExchange::readSome);
}

HttpExchange::~HttpExchange()
{
    releaseSocket();
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
    if (m_done || m_socket)
        return;
    // The address is composed from the user's key and model unencoded, so it
    // may hold characters no address may contain.
    m_url = QUrl(m_request.url, QUrl::StrictMode);
    if (!isUsableAddress(m_url)) {
        fail(LLMError(LLMError::Kind::InvalidRequest,
                      QStringLiteral("The request address is not valid. Check the model name, the API key "
                                     "and the provider address.")));
        return;
    }
    open();
}

void HttpExchange::open()
{
    const bool secure = m_url.scheme() == QLatin1String("https");
    const QNetworkProxy proxy = proxyFor(m_url);
    // A forwarding proxy takes plain requests itself; any other is a tunnel.
    const bool forwarded =
        !secure && (proxy.type() == QNetworkProxy::HttpProxy || proxy.type() == QNetworkProxy::HttpCachingProxy);
    m_requestHead = httpRequestHead(m_request, m_url, forwarded ? proxy : QNetworkProxy(QNetworkProxy::NoProxy));

    m_socket = new QSslSocket(this);
    m_socket->setReadBufferSize(kSocketBuffer);
    m_socket->setProxy(forwarded ? QNetworkProxy(QNetworkProxy::NoProxy) : proxy);
    if (secure)
        connect(m_socket, &QSslSocket::encrypted, this, &HttpExchange::sendRequest);
    else
        connect(m_socket, &QSslSocket::connected, this, &HttpExchange::sendRequest);
    connect(m_socket, &QSslSocket::readyRead, this, &HttpExchange::readSome);
    // Any byte moving either way shows the provider is still there.
    connect(m_socket, &QSslSocket::bytesWritten, this, &HttpExchange::rearmIdle);
    connect(m_socket, &QSslSocket::errorOccurred, this, &HttpExchange::onSocketError);
    connect(m_socket, &QSslSocket::disconnected, this, [this] {
        m_peerClosed = true;
        readSome();
    });
    rearmIdle();
    if (forwarded)
        m_socket->connectToHost(proxy.hostName(), proxy.port());
    else if (secure)
        m_socket->connectToHostEncrypted(m_url.host(), quint16(m_url.port(443)));
    else
        m_socket->connectToHost(m_url.host(), quint16(m_url.port(80)));
}

void HttpExchange::sendRequest()
{
    m_socket->write(m_requestHead + m_request.body);
    m_requestHead.clear();
}

void HttpExchange::readSome()
{
    if (m_done || !m_socket)
        return;
    QPointer<HttpExchange> self(this);
    // Should a layer below hold more than the bound (decrypted data may), the
    // excess goes at once, so that what waits stays bounded.
    const QByteArray bytes = m_socket->read(qMax(kSocketBuffer, m_socket->bytesAvailable() - kSocketBuffer));
    if (!bytes.isEmpty()) {
        rearmIdle();
        const bool hadHead = m_parser.hasHead();
        QByteArray body;
        m_parser.feed(bytes, body);
        if (!hadHead && m_parser.hasHead() && !takeHead())
            return;
        if (!body.isEmpty()) {
            deliver(body);
            if (!self || m_done)
                return;
        }
    }
    using State = HttpResponseParser::State;
    const State state = m_parser.state();
    if (state == State::Head || state == State::Body) {
        if (m_socket->bytesAvailable() > 0) {
            m_nextPiece.start();
            return;
        }
        if (!m_peerClosed)
            return;
        m_parser.endOfInput();
    }
    // A failed status says what went wrong, however its body ended.
    if (m_parser.isComplete() || (m_parser.hasHead() && !isAnswer()))
        finish();
    else if (state == State::Broken)
        fail(LLMError(LLMError::Kind::Network, QString::fromLatin1(m_parser.problem())));
    else
        fail(LLMError::cutOff());
}

bool HttpExchange::isAnswer() const
{
    return m_status == 200 && m_wrongContentType.isEmpty();
}

bool HttpExchange::takeHead()
{
    m_status = m_parser.status();
    const QByteArray location = m_parser.header("Location");
    if (isRedirect(m_status) && !location.isEmpty())
        return followRedirect(location);
    checkContentType();
    return true;
}

bool HttpExchange::followRedirect(const QByteArray &location)
{
    const QUrl resolved = m_url.resolved(QUrl::fromEncoded(location));
    if (!sameOrigin(resolved, QUrl(m_request.url))) {
        const QString origin =
            resolved.adjusted(QUrl::RemoveUserInfo | QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment)
                .toString();
        fail(LLMError(LLMError::Kind::Network,
                      QStringLiteral("The provider redirected the request to %1, another server. Tarnwick does not "
                                     "follow it, so your key was not sent there.")
                          .arg(origin)));
        return false;
    }
    if (++m_redirects > kRedirectLimit) {
        fail(LLMError(LLMError::Kind::Network, QStringLiteral("Network error: Too many redirects.")));
        return false;
    }
    if (m_status == 303) {
        m_request.method = "GET";
        m_request.body.clear();
    }
    releaseSocket();
    m_url = resolved;
    m_parser = HttpResponseParser(m_request.method == "HEAD");
    m_status = 0;
    m_peerClosed = false;
    open();
    return false;
}

void HttpExchange::checkContentType()
{
    if (m_status != 200 || !m_request.expectsEventStream)
        return;
    const QString type = QString::fromLatin1(m_parser.header("Content-Type"));
    const QString essence = type.section(QLatin1Char(';'), 0, 0).trimmed().toLower();
    // Servers that name no type at all are given the benefit of the doubt.
    if (!essence.isEmpty() && essence != QLatin1String("text/event-stream"))
        m_wrongContentType = essence;
}

void HttpExchange::deliver(const QByteArray &body)
{
    if (!isAnswer()) {
        m_errorBody += body.first(qMin(body.size(), kErrorBodyLimit - m_errorBody.size()));
        if (m_errorBody.size() >= kErrorBodyLimit)
            fail(errorForBody());
        return;
    }
    m_receivedBytes += body.size();
    rearmIdle();
    Q_EMIT received(body);
}

void HttpExchange::finish()
{
    if (!isAnswer()) {
        fail(errorForBody());
        return;
    }
    m_done = true;
    m_idle.stop();
    releaseSocket();
    Q_EMIT completed();
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
    releaseSocket();
}

void HttpExchange::onSocketError(QAbstractSocket::SocketError error)
{
    // A closed connection is judged once what came before it is read.
    if (m_done || error == QAbstractSocket::RemoteHostClosedError)
        return;
    fail(transportError(error, m_socket ? m_socket->errorString() : QString(), m_request.serverAddress));
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
    releaseSocket();
    // Socket error texts may quote the address, password and all.
    Q_EMIT failed(error.withDescription(ServerAddress::masked(error.errorDescription(), m_request.url)));
}

void HttpExchange::releaseSocket()
{
    m_nextPiece.stop();
    if (!m_socket)
        return;
    QSslSocket *socket = m_socket;
    m_socket = nullptr;
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}
