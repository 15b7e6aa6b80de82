// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/NotificationCenter.h"

NotificationCenter &NotificationCenter::defaultCenter()
{
    static NotificationCenter *instance = new NotificationCenter;
    return *instance;
}

void NotificationCenter::post(const QString &name)
{
    Q_EMIT posted(name);
}

QMetaObject::Connection NotificationCenter::observe(const QString &name, QObject *context,
                                                    std::function<void()> handler)
{
    return connect(this, &NotificationCenter::posted, context, [name, handler = std::move(handler)](const QString &n) {
        if (n == name)
            handler();
    });
}
