// SPDX-License-Identifier: GPL-3.0-or-later
// The yardstick for the tray program's start and idle memory: a bare Qt tray
// icon with the same icon and a three-item menu, and nothing else. It traces
// "tray-ready" as the tray program does, when TARNWICK_TRACE_EVENTS is set.
#include <QAction>
#include <QApplication>
#include <QIcon>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>

#include <cstdio>
#include <ctime>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    QSystemTrayIcon tray(QIcon(QStringLiteral(TRAY_ICON)));
    QMenu menu;
    menu.addAction(QStringLiteral("Open"));
    menu.addSeparator();
    menu.addAction(QStringLiteral("Settings..."));
    menu.addAction(QStringLiteral("Quit"), &app, &QCoreApplication::quit);
    tray.setContextMenu(&menu);
    QTimer retry;
    retry.setInterval(100);
    const auto showWhenReady = [&] {
        if (!QSystemTrayIcon::isSystemTrayAvailable()) {
            retry.start();
            return;
        }
        retry.stop();
        tray.show();
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        std::fprintf(stderr, "tarnwick-trace %.3f tray-ready\n", double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6);
    };
    QObject::connect(&retry, &QTimer::timeout, &app, showWhenReady);
    showWhenReady();
    return app.exec();
}
