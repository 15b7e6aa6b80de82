#include "llm/NetworkAccess.h"

#include <QNetworkAccessManager>
#include <QThreadStorage>

QNetworkAccessManager *networkAccessForThisThread()
{
    static QThreadStorage<QNetworkAccessManager *> managers;
    if (!managers.hasLocalData())
        managers.setLocalData(new QNetworkAccessManager);
    return managers.localData();
}
