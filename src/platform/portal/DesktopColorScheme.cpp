// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/portal/DesktopColorScheme.h"

#include "platform/AssignIfChanged.h"
#include "platform/portal/PortalRequest.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>

namespace {

const QString kInterface = QStringLiteral("org.freedesktop.portal.Settings");
const QString kNamespace = QStringLiteral("org.freedesktop.appearance");
const QString kKey = QStringLiteral("color-scheme");

} // namespace

DesktopColorScheme::DesktopColorScheme(QObject *parent)
    : QObject(parent)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    // Listen first, so a change while the first read is on its way is not lost.
    bus.connect(PortalRequest::service, PortalRequest::path, kInterface, QStringLiteral("SettingChanged"), this,
                SLOT(onSettingChanged(QDBusMessage)));
    QDBusMessage read =
        QDBusMessage::createMethodCall(PortalRequest::service, PortalRequest::path, kInterface, QStringLiteral("Read"));
    read << kNamespace << kKey;
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(read), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, &DesktopColorScheme::onReadFinished);
}

DesktopColorScheme::Scheme DesktopColorScheme::fromPortalValue(const QVariant &value)
{
    QVariant inner = value;
    while (inner.metaType() == QMetaType::fromType<QDBusVariant>())
        inner = qvariant_cast<QDBusVariant>(inner).variant();
    bool ok = false;
    const uint number = inner.toUInt(&ok);
    if (!ok || inner.metaType() == QMetaType::fromType<QString>())
        return Scheme::NoPreference;
    switch (number) {
    case 1:
        return Scheme::Dark;
    case 2:
        return Scheme::Light;
    default:
        return Scheme::NoPreference;
    }
}

void DesktopColorScheme::onReadFinished(QDBusPendingCallWatcher *watcher)
{
    watcher->deleteLater();
    const QDBusPendingReply<QDBusVariant> reply = *watcher;
    // A change signalled meanwhile is newer than this answer.
    if (reply.isError() || m_heardChange)
        return;
    setScheme(fromPortalValue(reply.value().variant()));
}

void DesktopColorScheme::onSettingChanged(const QDBusMessage &message)
{
    const QList<QVariant> arguments = message.arguments();
    if (arguments.size() != 3 || arguments.at(0).toString() != kNamespace || arguments.at(1).toString() != kKey)
        return;
    m_heardChange = true;
    setScheme(fromPortalValue(arguments.at(2)));
}

void DesktopColorScheme::setScheme(Scheme scheme)
{
    if (assignIfChanged(m_scheme, scheme))
        Q_EMIT schemeChanged();
}
