// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

#include <functional>

// Shows a desktop notification through org.freedesktop.Notifications on the
// session bus. Where no notification server answers, the caller is told, so
// it can show the text some other way (the tray's balloon).
class DesktopNotifier : public QObject
{
    Q_OBJECT

public:
    using Outcome = std::function<void(bool shown)>;

    using QObject::QObject;

    // Asynchronous; outcome runs on the main thread once the server answered
    // or failed to.
    void notify(const QString &summary, const QString &body, Outcome outcome);
};
