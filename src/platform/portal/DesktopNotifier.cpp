// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/portal/DesktopNotifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace {

constexpr int kReplyTimeoutMs = 5000;
// Shown until the user dismisses it: the text says what to do next.
constexpr int kNoExpiry = 0;

} // namespace

void DesktopNotifier::notify(const QString &summary, const QString &body, Outcome outcome)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        outcome(false);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("tarnwick"));
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue(uchar(1)));
    call << QStringLiteral("Tarnwick") << quint32(0) << QStringLiteral("tarnwick") << summary << body << QStringList()
         << hints << qint32(kNoExpiry);
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kReplyTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [watcher, outcome = std::move(outcome)] {
        watcher->deleteLater();
        const QDBusPendingReply<quint32> reply = *watcher;
        outcome(!reply.isError());
    });
}
