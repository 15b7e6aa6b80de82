// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QString>

class QProcess;
class ScreenshotPortalRequest;

// One region screenshot at a time: hides the launcher, lets the user pick a
// region with the capture facility, hands over the image and shows the
// launcher again, whatever happened in between.
//
// The facility is TARNWICK_SCREENSHOT_COMMAND when set (output path appended;
// success is exit status 0 and a non-empty file), the desktop's screenshot
// portal on Wayland, and otherwise our own selector, `tarnwick capture-region`.
class ScreenshotFlow : public QObject
{
    Q_OBJECT

public:
    explicit ScreenshotFlow(QObject *parent = nullptr);
    ~ScreenshotFlow() override;

    // False, and nothing happens, while a capture runs.
    bool start();
    bool isRunning() const { return m_running; }

    // The private file the facility writes to: under the user's runtime
    // folder, never a fixed name in a shared one. Empty when no private
    // folder can be made.
    static QString capturePath();

Q_SIGNALS:
    // The launcher leaves the screen for the capture and comes back after it,
    // whatever happened; each is also posted as "HideTarnwick" / "ShowTarnwick".
    void hideRequested();
    void showRequested();
    void captured(const QImage &image); // before showRequested
    void finished(); // after showRequested, in every case

private:
    void askLauncher(bool show);
    void runCapture();
    void runCommand(const QString &program, const QStringList &arguments);
    void runPortal();
    void finish(bool facilitySucceeded);

    bool m_running = false;
    QString m_path;
    QPointer<QProcess> m_process;
    QPointer<ScreenshotPortalRequest> m_portal;
};
