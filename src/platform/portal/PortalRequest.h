// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusMessage>
#include <QObject>
#include <QVariantMap>

class QDBusPendingCallWatcher;

// One call to a desktop portal method that answers through a Request object:
// the handle_token option is added, the Response signal is listened for
// before the call goes out, and finished() reports it. A call the bus
// refuses (no portal, no such interface), or a portal that goes away before
// it answers, finishes with response 2.
class PortalRequest : public QObject
{
    Q_OBJECT

public:
    static const QString service;
    static const QString path;

    // call: a method call whose last argument is the options vardict.
    PortalRequest(QDBusMessage call, QObject *parent = nullptr);

    void start();

    // A token of this process, unique per call ("tarnwick17").
    static QString newToken();

Q_SIGNALS:
    void finished(uint response, const QVariantMap &results);

private Q_SLOTS:
    void onResponse(uint response, const QVariantMap &results);

private:
    void listenOn(const QString &requestPath);
    void onCallFinished(QDBusPendingCallWatcher *watcher);
    void finish(uint response, const QVariantMap &results);

    QDBusMessage m_call;
    QString m_requestPath;
    bool m_done = false;
};
