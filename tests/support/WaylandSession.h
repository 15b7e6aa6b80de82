// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class XSession;

// A private Wayland compositor for the program; the program itself gets no X
// display. Given an X session, Weston's X11 backend runs as a window of the
// test's X server, so xdotool's keys reach the Wayland client with the
// keyboard focus. Otherwise the compositor is headless: Weston without a
// seat, or Sway, whose keys come from a virtual keyboard (wtype).
class WaylandSession
{
public:
    enum class Compositor { Weston, Sway };

    explicit WaylandSession(Compositor headless);
    explicit WaylandSession(const XSession &display);
    ~WaylandSession();

    // Empty when the compositor runs; otherwise what is missing.
    QString problem() const { return m_problem; }
    static bool installed(Compositor compositor);

    // The system's environment with WAYLAND_DISPLAY set to this compositor and no DISPLAY.
    QProcessEnvironment environment() const;

    // Sway only: wtype with these arguments, as keys typed into the focused window.
    bool type(const QStringList &arguments) const;

private:
    void startWeston(QProcessEnvironment env, const QStringList &backend);
    void startSway();
    // Says what the compositor logged when it has no socket.
    void checkStarted(const QString &log);

    QString m_problem;
    QTemporaryDir m_dir;
    QString m_socket;
    QProcess m_compositor;
};
