// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/portal/PortalRequest.h"

#include "platform/Logging.h"

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>

const QString PortalRequest::service = QStringLiteral("org.freedesktop.portal.Desktop");
const QString PortalRequest::path = QStringLiteral("/org/freedesktop/portal/desktop");

namespace {
const QString kRequestInterface = QStringLiteral("org.freedesktop.portal.Request");
constexpr uint kOtherError = 2;
} // namespace

PortalRequest::PortalRequest(QDBusMessage call, QObject *parent)
    : QObject(parent)
    , m_call(std::move(call))
{
}

QString PortalRequest::newToken()
{
    static uint counter = 0;
    return QStringLiteral("tarnwick%1").arg(++counter);
}

void PortalRequest::start()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    QList<QVariant> arguments = m_call.arguments();
    if (!bus.isConnected() || arguments.isEmpty()
        || arguments.last().metaType() != QMetaType::fromType<QVariantMap>()) {
        finish(kOtherError, {});
        return;
    }
    // A portal that goes away mid-request would otherwise leave the caller waiting.
    auto *serviceWatcher = new QDBusServiceWatcher(service, bus, QDBusServiceWatcher::WatchForUnregistration, this);
    connect(serviceWatcher, &QDBusServiceWatcher::serviceUnregistered, this, [this] { finish(kOtherError, {}); });

    // Subscribe before calling, so a quick Response cannot slip past.
    const QString token = newToken();
    QVariantMap options = arguments.last().toMap();
    options.insert(QStringLiteral("handle_token"), token);
    arguments.last() = options;
    m_call.setArguments(arguments);
    QString sender = bus.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    listenOn(path + QStringLiteral("/request/") + sender + QLatin1Char('/') + token);

    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(m_call, -1), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, &PortalRequest::onCallFinished);
}

void PortalRequest::listenOn(const QString &requestPath)
{
    QDBusConnection::sessionBus().connect(service, requestPath, kRequestInterface, QStringLiteral("Response"), this,
                                          SLOT(onResponse(uint, QVariantMap)));
    m_requestPath = requestPath;
}

void PortalRequest::onCallFinished(QDBusPendingCallWatcher *watcher)
{
    watcher->deleteLater();
    const QDBusPendingReply<QDBusObjectPath> reply = *watcher;
    if (reply.isError()) {
        qCWarning(lcDesktop).noquote() << "The desktop portal refused" << m_call.member() << ":"
                                       << reply.error().message();
        finish(kOtherError, {});
        return;
    }
    // Older portals ignore handle_token and answer on a path of their own.
    if (reply.value().path() != m_requestPath)
        listenOn(reply.value().path());
}

void PortalRequest::onResponse(uint response, const QVariantMap &results)
{
    finish(response, results);
}

void PortalRequest::finish(uint response, const QVariantMap &results)
{
    if (m_done)
        return;
    m_done = true;
    QDBusConnection::sessionBus().disconnect(service, m_requestPath, kRequestInterface, QStringLiteral("Response"),
                                             this, SLOT(onResponse(uint, QVariantMap)));
    Q_EMIT finished(response, results);
}
