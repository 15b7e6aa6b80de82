// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/WaylandSession.h"

#include "support/ProcessLifetime.h"
#include "support/XSession.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <unistd.h>

namespace {
const QString kSocketName = QStringLiteral("tarnwick-test");
} // namespace

bool WaylandSession::installed(Compositor compositor)
{
    if (compositor == Compositor::Weston)
        return !QStandardPaths::findExecutable(QStringLiteral("weston")).isEmpty();
    return !QStandardPaths::findExecutable(QStringLiteral("sway")).isEmpty()
        && !QStandardPaths::findExecutable(QStringLiteral("wtype")).isEmpty();
}

WaylandSession::WaylandSession(Compositor headless)
{
    if (headless == Compositor::Sway)
        startSway();
    else
        startWeston(QProcessEnvironment::systemEnvironment(), {QStringLiteral("--backend=headless-backend.so")});
}

WaylandSession::WaylandSession(const XSession &display)
{
    startWeston(display.environment(),
                {QStringLiteral("--backend=x11-backend.so"), QStringLiteral("--use-pixman"),
                 QStringLiteral("--width=1280"), QStringLiteral("--height=800")});
}

void WaylandSession::startWeston(QProcessEnvironment env, const QStringList &backend)
{
    m_socket = m_dir.filePath(kSocketName);
    if (!installed(Compositor::Weston)) {
        m_problem = QStringLiteral("weston is not installed");
        return;
    }
    QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // No on-screen keyboard: it would pop up over the panel at every text field.
    QFile config(m_dir.filePath(QStringLiteral("weston.ini")));
    if (!config.open(QIODevice::WriteOnly) || config.write("[core]\nidle-time=0\n[input-method]\npath=\n") < 0) {
        m_problem = QStringLiteral("cannot write weston.ini");
        return;
    }
    config.close();

    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.path());
    const QString log = m_dir.filePath(QStringLiteral("weston.log"));
    m_compositor.setProcessEnvironment(env);
    m_compositor.setStandardOutputFile(log);
    m_compositor.setStandardErrorFile(log);
    m_compositor.start(QStringLiteral("weston"),
                       QStringList(backend) << QStringLiteral("--socket=") + kSocketName
                                            << QStringLiteral("--config=") + config.fileName());
    waitUntil([&] { return m_compositor.state() == QProcess::NotRunning || QFileInfo::exists(m_socket); });
    checkStarted(log);
}

// Sway refuses to run as root, so as root it runs as nobody in a runtime
// folder of nobody's; root's clients reach its socket all the same.
void WaylandSession::startSway()
{
    if (!installed(Compositor::Sway)) {
        m_problem = QStringLiteral("sway or wtype is not installed");
        return;
    }
    const bool root = ::geteuid() == 0;
    const QString runtime = m_dir.filePath(QStringLiteral("runtime"));
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (root) {
        QFile::setPermissions(
            m_dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther);
        if (::chown(QFile::encodeName(runtime).constData(), 65534, 65534) != 0) {
            m_problem = QStringLiteral("cannot hand the runtime folder to nobody");
            return;
        }
    }
    QFile config(m_dir.filePath(QStringLiteral("sway.conf")));
    if (!config.open(QIODevice::WriteOnly) || config.write("output HEADLESS-1 resolution 1280x800\n") < 0) {
        m_problem = QStringLiteral("cannot write sway.conf");
        return;
    }
    config.close();
    config.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    env.insert(QStringLiteral("WLR_BACKENDS"), QStringLiteral("headless"));
    env.insert(QStringLiteral("WLR_LIBINPUT_NO_DEVICES"), QStringLiteral("1"));
    env.insert(QStringLiteral("WLR_RENDERER"), QStringLiteral("pixman"));
    const QString log = m_dir.filePath(QStringLiteral("sway.log"));
    m_compositor.setProcessEnvironment(env);
    m_compositor.setStandardOutputFile(log);
    m_compositor.setStandardErrorFile(log);
    const QStringList sway{QStringLiteral("sway"), QStringLiteral("--config"), config.fileName()};
    if (root) {
        m_compositor.start(QStringLiteral("setpriv"),
                           QStringList{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                                       QStringLiteral("--clear-groups")}
                               + sway);
    } else {
        m_compositor.start(sway.first(), sway.mid(1));
    }
    // Sway names its socket itself, the first free wayland-N.
    waitUntil([&] {
        const QStringList sockets = QDir(runtime).entryList({QStringLiteral("wayland-?")}, QDir::System);
        if (!sockets.isEmpty())
            m_socket = QDir(runtime).filePath(sockets.first());
        return m_compositor.state() == QProcess::NotRunning || !m_socket.isEmpty();
    });
    checkStarted(log);
}

void WaylandSession::checkStarted(const QString &log)
{
    if (m_socket.isEmpty() || !QFileInfo::exists(m_socket)) {
        QFile file(log);
        file.open(QIODevice::ReadOnly);
        m_problem =
            QStringLiteral("the compositor did not start: ") + QString::fromLocal8Bit(file.readAll().right(2000));
    }
}

WaylandSession::~WaylandSession()
{
    stopProcess(m_compositor);
}

bool WaylandSession::type(const QStringList &arguments) const
{
    QProcess wtype;
    wtype.setProcessEnvironment(environment());
    wtype.start(QStringLiteral("wtype"), arguments);
    return wtype.waitForFinished(30000) && wtype.exitStatus() == QProcess::NormalExit && wtype.exitCode() == 0;
}

QProcessEnvironment WaylandSession::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.insert(QStringLiteral("WAYLAND_DISPLAY"), m_socket);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
    env.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
    return env;
}
