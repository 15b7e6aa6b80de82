// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <memory>

class DesktopAppearance;
class DesktopNotifier;
class HotkeyManager;
class HotkeyNotice;
class LauncherSession;
class LauncherWindow;
class QMenu;
class QSystemTrayIcon;
class SettingsWindow;

// The resident program: the tray icon and its menu, the one launcher panel,
// the settings window and the global hotkeys, created once and kept for the run.
class AppDelegate : public QObject
{
    Q_OBJECT

public:
    explicit AppDelegate(QObject *parent = nullptr);
    ~AppDelegate() override;

    // The launch sequence; call once, with the event loop about to run.
    void start();

    // A request from the command line: "toggle", "open", "screenshot",
    // "settings", or "start" (nothing beyond running).
    bool handleRequest(const QString &request);

    void handleScreenshotHotkey();
    void toggleLauncher();
    void openLauncher();
    // Opens the launcher and starts dictation, or stops the dictation under way.
    void toggleDictation();
    void openSettings();
    // Asks first when history changes could not be saved.
    void quit();
    // The session is ending: no one is there to ask.
    void terminate();

private:
    void setupTrayIcon();
    void setupLauncherWindow();
    void trayIconClicked();
    void showTrayIconWhenReady();
    void updateTrayToolTip();
    void flushPendingWrites();
    bool confirmQuitWithUnsavedChanges();
    void showHotkeyNotice();
    void chooseLaunchHotkey();

    QPointer<QSystemTrayIcon> m_trayIcon;
    DesktopAppearance *m_appearance = nullptr;
    HotkeyNotice *m_hotkeyNotice = nullptr;
    DesktopNotifier *m_notifier = nullptr;
    // Declared in the order they are made; they go in reverse, the hotkeys first.
    std::unique_ptr<LauncherSession> m_session;
    std::unique_ptr<QMenu> m_trayMenu;
    std::unique_ptr<LauncherWindow> m_launcherWindow;
    std::unique_ptr<SettingsWindow> m_settingsWindow;
    std::unique_ptr<HotkeyManager> m_hotkeyManager;
    QTimer m_trayRetry;
    int m_trayAttempts = 0;
};
