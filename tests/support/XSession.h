// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

struct xcb_connection_t;

// A private X server (Xvfb) with Openbox, so that global key grabs of one test
// never meet those of another, and Openbox's own Alt+Space binding is off.
// Tools (xdotool, xclip, trayer, xcompmgr) run against it.
class XSession
{
public:
    // openboxConfig: Openbox's rc file; the default leaves every key free.
    explicit XSession(const QString &openboxConfig = QStringLiteral(OPENBOX_RC));
    ~XSession();

    // Empty when the session runs; otherwise what is missing.
    QString problem() const { return m_problem; }
    QString display() const { return m_display; }
    xcb_connection_t *connection() const { return m_connection; }

    // The system's environment with DISPLAY set to this session.
    QProcessEnvironment environment() const;

    // Runs a tool on this display; returns its trimmed standard output.
    QString run(const QString &program, const QStringList &arguments, int *exitCode = nullptr) const;
    // xdotool with these words; false when it fails.
    bool xdotool(const QStringList &arguments) const;
    // Presses keys as xdotool names them, one after the other: "alt+space", "k super+shift+k".
    bool pressKeys(const QString &keys) const;
    // Starts a long-running helper (trayer, xcompmgr) that ends with the session.
    bool startHelper(const QString &program, const QStringList &arguments);
    void stopHelpers();

    bool isViewable(quint32 window) const;
    quint32 activeWindow() const;
    // Grabs a key combination on the root window, as another program would.
    bool grabKey(quint8 keycode, quint16 modifiers);
    void releaseKey(quint8 keycode, quint16 modifiers);

private:
    QString m_problem;
    QString m_display;
    QTemporaryDir m_dir;
    QProcess m_xvfb;
    QProcess m_windowManager;
    std::vector<std::unique_ptr<QProcess>> m_helpers;
    xcb_connection_t *m_connection = nullptr;
};
