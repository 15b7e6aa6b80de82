// SPDX-License-Identifier: GPL-3.0-or-later
#include "llm/ServerAddress.h"

#include <QHostAddress>
#include <QUrl>

namespace ServerAddress {

namespace {

bool isThisMachine(const QString &host)
{
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0
        || host.endsWith(QLatin1String(".localhost"), Qt::CaseInsensitive))
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

} // namespace

QString shown(const QString &address)
{
    return masked(address, address);
}

QString masked(const QString &text, const QString &address)
{
    const QUrl url(address.trimmed());
    if (url.password().isEmpty())
        return text;
    QString result = text;
    // As typed, and as QUrl writes it back (errors from Qt carry the latter).
    for (const QUrl::ComponentFormattingOptions format : {QUrl::PrettyDecoded, QUrl::FullyEncoded, QUrl::FullyDecoded})
        result.replace(QLatin1Char(':') + url.password(format) + QLatin1Char('@'), QStringLiteral(":***@"));
    return result;
}

QString plainHttpWarning(const QString &address, bool sendsKey)
{
    const QUrl url(address.trimmed());
    if (url.scheme() != QLatin1String("http") || isThisMachine(url.host()))
        return {};
    const bool password = !url.password().isEmpty();
    if (!password && !sendsKey)
        return {};
    return QStringLiteral("The %1 goes to %2 unencrypted over plain http; use https for a server on another machine.")
        .arg(password && sendsKey ? QStringLiteral("key and the password")
                 : password       ? QStringLiteral("password")
                                  : QStringLiteral("key"),
             url.host());
}

} // namespace ServerAddress
