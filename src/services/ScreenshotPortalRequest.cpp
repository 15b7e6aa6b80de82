#include "services/ScreenshotPortalRequest.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QFile>
#include <QRandomGenerator>
#include <QUrl>

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.Screenshot");
const QString kRequestInterface = QStringLiteral("org.freedesktop.portal.Request");

bool moveFile(const QString &from, const QString &to)
{
    QFile::remove(to);
    if (QFile::rename(from, to))
        return true;
    // Across file systems a rename fails; copy, then drop the portal's file.
    if (!QFile::copy(from, to))
        return false;
    QFile::remove(from);
    return true;
}

} // namespace

ScreenshotPortalRequest::ScreenshotPortalRequest(QString outputPath, QObject *parent)
    : QObject(parent)
    , m_outputPath(std::move(outputPath))
{
}

void ScreenshotPortalRequest::start()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        complete(false);
        return;
    }
    // A portal that goes away mid-request would otherwise keep the launcher hidden.
    m_serviceWatcher = new QDBusServiceWatcher(kService, bus, QDBusServiceWatcher::WatchForUnregistration, this);
    connect(m_serviceWatcher, &QDBusServiceWatcher::serviceUnregistered, this, [this] { complete(false); });

    // Subscribe before calling, so a quick Response cannot slip past.
    const QString token = QStringLiteral("tarnwick%1").arg(QRandomGenerator::global()->generate());
    QString sender = bus.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    listenOn(kPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token);

    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Screenshot"));
    const QVariantMap options{
        {QStringLiteral("handle_token"), token},
        {QStringLiteral("interactive"), true},
        {QStringLiteral("modal"), true},
    };
    call << QString() << options;
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, -1), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, &ScreenshotPortalRequest::onCallFinished);
}

void ScreenshotPortalRequest::listenOn(const QString &requestPath)
{
    QDBusConnection::sessionBus().connect(kService, requestPath, kRequestInterface, QStringLiteral("Response"), this,
                                          SLOT(onResponse(uint, QVariantMap)));
    m_requestPath = requestPath;
}

void ScreenshotPortalRequest::onCallFinished(QDBusPendingCallWatcher *watcher)
{
    watcher->deleteLater();
    const QDBusPendingReply<QDBusObjectPath> reply = *watcher;
    if (reply.isError()) {
        complete(false);
        return;
    }
    // Older portals ignore handle_token and answer on a path of their own.
    const QString handle = reply.value().path();
    if (handle != m_requestPath)
        listenOn(handle);
}

void ScreenshotPortalRequest::onResponse(uint response, const QVariantMap &results)
{
    if (m_done)
        return;
    const QUrl uri(results.value(QStringLiteral("uri")).toString());
    complete(response == 0 && uri.isLocalFile() && moveFile(uri.toLocalFile(), m_outputPath));
}

void ScreenshotPortalRequest::complete(bool ok)
{
    if (m_done)
        return;
    m_done = true;
    Q_EMIT done(ok);
}
