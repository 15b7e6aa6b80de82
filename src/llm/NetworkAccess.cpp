// SPDX-License-Identifier: GPL-3.0-or-later
#include "llm/NetworkAccess.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QThread>
#include <QThreadStorage>

QNetworkAccessManager *networkAccessForThisThread(NetworkRoute route)
{
    static QThreadStorage<QNetworkAccessManager *> system;
    static QThreadStorage<QNetworkAccessManager *> direct;
    QThreadStorage<QNetworkAccessManager *> &managers = route == NetworkRoute::Direct ? direct : system;
    if (!managers.hasLocalData()) {
        auto *manager = new QNetworkAccessManager;
        if (route == NetworkRoute::Direct)
            manager->setProxy(QNetworkProxy::NoProxy);
        managers.setLocalData(manager);
        // The main thread's manager goes while the application still runs:
        // at static destruction its HTTP thread could no longer wind down.
        QCoreApplication *app = QCoreApplication::instance();
        if (app && QThread::currentThread() == app->thread())
            QObject::connect(app, &QCoreApplication::aboutToQuit, manager,
                             [&managers] { managers.setLocalData(nullptr); });
    }
    return managers.localData();
}
