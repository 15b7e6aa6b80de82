#include "llm/NetworkAccess.h"

#include <QNetworkAccessManager>
#include <QNetworkProxy>
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
    }
    return managers.localData();
}
