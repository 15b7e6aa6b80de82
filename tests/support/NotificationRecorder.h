// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QStringList>
#include <QVariantMap>

// A notification server on the session bus that shows nothing and keeps what
// it was asked to show, so that a test can read the notifications a program
// sent over the real bus.
class NotificationRecorder : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    struct Notification
    {
        QString appName;
        QString summary;
        QString body;
    };

    NotificationRecorder();
    ~NotificationRecorder() override;

    // Empty when the server runs; otherwise why not.
    QString problem() const { return m_problem; }
    const QList<Notification> &received() const { return m_received; }

public Q_SLOTS:
    uint Notify(const QString &appName, uint replacesId, const QString &appIcon, const QString &summary,
                const QString &body, const QStringList &actions, const QVariantMap &hints, int expireTimeout);
    QStringList GetCapabilities();
    void CloseNotification(uint id);
    QString GetServerInformation(QString &vendor, QString &version, QString &specVersion);

private:
    QString m_problem;
    QList<Notification> m_received;
};
