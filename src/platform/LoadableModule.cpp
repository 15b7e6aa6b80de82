// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/LoadableModule.h"

#include "platform/Logging.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QPluginLoader>

namespace LoadableModule {

QObject *instance(const QString &name)
{
    static QMutex mutex;
    static QHash<QString, QObject *> loaded;
    const QMutexLocker lock(&mutex);
    const auto known = loaded.constFind(name);
    if (known != loaded.cend())
        return *known;

    const QString fileName = QStringLiteral("lib%1.so").arg(name);
    QStringList tried;
    QObject *object = nullptr;
    QStringList dirs{QStringLiteral(TARNWICK_BUILD_MODULE_DIR)};
    if (QCoreApplication::instance())
        dirs << QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral(TARNWICK_MODULE_DIR_FROM_PROGRAM));
    for (const QString &dir : std::as_const(dirs)) {
        const QString path = QDir(dir).filePath(fileName);
        if (!QFileInfo::exists(path)) {
            tried << path;
            continue;
        }
        // Never unloaded: objects it made may live until the program ends.
        QPluginLoader loader(path);
        object = loader.instance();
        if (!object)
            tried << QStringLiteral("%1 (%2)").arg(path, loader.errorString());
        break;
    }
    if (!object)
        qCWarning(lcDesktop).noquote() << "The module" << name
                                       << "could not be loaded:" << tried.join(QStringLiteral(", "));
    loaded.insert(name, object);
    return object;
}

} // namespace LoadableModule
