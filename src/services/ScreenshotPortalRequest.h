// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

// One interactive request to the desktop's screenshot portal
// (org.freedesktop.portal.Screenshot). On success the portal's file is moved
// to the given path.
class ScreenshotPortalRequest : public QObject
{
    Q_OBJECT

public:
    ScreenshotPortalRequest(QString outputPath, QObject *parent = nullptr);

    void start();

Q_SIGNALS:
    void done(bool ok);

private:
    QString m_outputPath;
};
