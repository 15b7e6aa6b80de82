#pragma once

#include <QObject>
#include <QString>
#include <QVariantMap>

class QDBusPendingCallWatcher;
class QDBusServiceWatcher;

// One interactive request to the desktop's screenshot portal
// (org.freedesktop.portal.Screenshot) with its Request/Response handshake.
// On success the portal's file is moved to the given path.
class ScreenshotPortalRequest : public QObject
{
    Q_OBJECT

public:
    ScreenshotPortalRequest(QString outputPath, QObject *parent = nullptr);

    void start();

Q_SIGNALS:
    void done(bool ok);

private Q_SLOTS:
    void onResponse(uint response, const QVariantMap &results);

private:
    void listenOn(const QString &requestPath);
    void onCallFinished(QDBusPendingCallWatcher *watcher);
    void complete(bool ok);

    QString m_outputPath;
    QString m_requestPath;
    QDBusServiceWatcher *m_serviceWatcher = nullptr;
    bool m_done = false;
};
