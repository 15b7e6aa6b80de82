// SPDX-License-Identifier: GPL-3.0-or-later
#include "llm/HttpRequestHead.h"

#include <QNetworkProxy>
#include <QUrl>

namespace {
bool hasHeader(const ProviderRequest &request, QByteArrayView name)
{
    for (const auto &[key, value] : request.headers) {
        if (key.size() == name.size() && qstrnicmp(key.constData(), key.size(), name.data(), name.size()) == 0)
            return true;
    }
    return false;
}

QByteArray basicCredentials(const QString &user, const QString &password)
{
    return "Basic " + (user + QLatin1Char(':') + password).toUtf8().toBase64();
}

QByteArray hostHeader(const QUrl &url)
{
    QByteArray host = url.host(QUrl::FullyEncoded).toLatin1();
    if (host.contains(':'))
        host = '[' + host + ']';
    const int defaultPort = url.scheme() == QLatin1String("https") ? 443 : 80;
    if (url.port(defaultPort) != defaultPort)
        host += ':' + QByteArray::number(url.port());
    return host;
}
} // namespace

QByteArray httpRequestHead(const ProviderRequest &request, const QUrl &url, const QNetworkProxy &forwardingProxy)
{
    const bool forwarded =
        forwardingProxy.type() == QNetworkProxy::HttpProxy || forwardingProxy.type() == QNetworkProxy::HttpCachingProxy;
    QByteArray target;
    if (forwarded) {
        target = url.adjusted(QUrl::RemoveUserInfo | QUrl::RemoveFragment).toEncoded();
    } else {
        target = url.path(QUrl::FullyEncoded).toLatin1();
        if (target.isEmpty())
            target = "/";
        if (url.hasQuery())
            target += '?' + url.query(QUrl::FullyEncoded).toLatin1();
    }
    QByteArray head = request.method + ' ' + target + " HTTP/1.1\r\nHost: " + hostHeader(url) + "\r\n";
    for (const auto &[name, value] : request.headers)
        head += name + ": " + value + "\r\n";
    // The password of a server address is for that server.
    if (!url.userName().isEmpty() && !hasHeader(request, "Authorization"))
        head += "Authorization: " + basicCredentials(url.userName(), url.password()) + "\r\n";
    if (forwarded && !forwardingProxy.user().isEmpty())
        head += "Proxy-Authorization: " + basicCredentials(forwardingProxy.user(), forwardingProxy.password()) + "\r\n";
    if (!hasHeader(request, "User-Agent"))
        head += "User-Agent: Mozilla/5.0\r\n";
    if (!request.body.isEmpty() || (request.method != "GET" && request.method != "HEAD"))
        head += "Content-Length: " + QByteArray::number(request.body.size()) + "\r\n";
    return head + "\r\n";
}
