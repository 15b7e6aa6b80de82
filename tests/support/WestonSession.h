#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

class XSession;

// A private Weston compositor for the program on Wayland. Given an X session,
// Weston's own X11 backend runs it as a window of the test's X server: unlike
// its headless backend that gives it a seat, so xdotool's keys reach the
// Wayland client with the keyboard focus. Without one, it is headless: no
// screen and no seat. The program itself gets no X display.
class WestonSession
{
public:
    WestonSession();
    explicit WestonSession(const XSession &display);
    ~WestonSession();

    // Empty when the compositor runs; otherwise what is missing.
    QString problem() const { return m_problem; }
    static bool installed();

    // The system's environment with WAYLAND_DISPLAY set to this compositor and no DISPLAY.
    QProcessEnvironment environment() const;

private:
    void start(QProcessEnvironment env, const QStringList &backend);

    QString m_problem;
    QTemporaryDir m_dir;
    QString m_socket;
    QProcess m_weston;
};
