// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/NotificationRecorder.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>

namespace {
const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
} // namespace

NotificationRecorder::NotificationRecorder()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        m_problem = QStringLiteral("no session bus");
        return;
    }
    if (!bus.registerObject(kPath, this, QDBusConnection::ExportAllSlots)) {
        m_problem = QStringLiteral("cannot export the notification object");
        return;
    }
    if (!bus.registerService(kService))
        m_problem = QStringLiteral("another notification server runs on this bus");
}

NotificationRecorder::~NotificationRecorder()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterObject(kPath);
    bus.unregisterService(kService);
}

uint NotificationRecorder::Notify(const QString &appName, uint, const QString &, const QString &summary,
                                  const QString &body, const QStringList &, const QVariantMap &, int)
{
    m_received << Notification{appName, summary, body};
    return uint(m_received.size());
}

QStringList NotificationRecorder::GetCapabilities()
{
    return {QStringLiteral("body")};
}

void NotificationRecorder::CloseNotification(uint) { }

QString NotificationRecorder::GetServerInformation(QString &vendor, QString &version, QString &specVersion)
{
    vendor = QStringLiteral("Tarnwick tests");
    version = QStringLiteral("1");
    specVersion = QStringLiteral("1.2");
    return QStringLiteral("notification-recorder");
}
