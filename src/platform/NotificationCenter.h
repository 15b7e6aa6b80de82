// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

#include <functional>

// Names of the notifications through which the shell, the launcher window,
// the hotkeys and the launcher view talk.
namespace Notifications {
inline const QString takeTarnwickScreenshot = QStringLiteral("TakeTarnwickScreenshot");
inline const QString tarnwickTakeScreenshot = QStringLiteral("TarnwickTakeScreenshot");
inline const QString hideTarnwick = QStringLiteral("HideTarnwick");
inline const QString showTarnwick = QStringLiteral("ShowTarnwick");
} // namespace Notifications

// A process-wide post office for named notifications without payload.
// Observers run on the thread of their context object (the main thread).
class NotificationCenter : public QObject
{
    Q_OBJECT

public:
    static NotificationCenter &defaultCenter();

    void post(const QString &name);
    // The observation ends when context is destroyed.
    QMetaObject::Connection observe(const QString &name, QObject *context, std::function<void()> handler);

Q_SIGNALS:
    void posted(const QString &name);
};
