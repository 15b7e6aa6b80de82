#include "support/WestonSession.h"

#include "support/XSession.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>

namespace {
const QString kSocketName = QStringLiteral("tarnwick-test");
} // namespace

bool WestonSession::installed()
{
    return !QStandardPaths::findExecutable(QStringLiteral("weston")).isEmpty();
}

WestonSession::WestonSession(const XSession &display)
    : m_socket(m_dir.filePath(kSocketName))
{
    if (!installed()) {
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

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display.display());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.path());
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    m_weston.setProcessEnvironment(env);
    m_weston.setStandardOutputFile(m_dir.filePath(QStringLiteral("weston.log")));
    m_weston.setStandardErrorFile(m_dir.filePath(QStringLiteral("weston.log")));
    m_weston.start(QStringLiteral("weston"),
                   {QStringLiteral("--backend=x11-backend.so"), QStringLiteral("--use-pixman"),
                    QStringLiteral("--socket=") + kSocketName, QStringLiteral("--config=") + config.fileName(),
                    QStringLiteral("--width=1280"), QStringLiteral("--height=800")});
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 20000 && m_weston.state() != QProcess::NotRunning && !QFileInfo(m_socket).exists())
        QThread::msleep(50);
    if (!QFileInfo(m_socket).exists()) {
        QFile log(m_dir.filePath(QStringLiteral("weston.log")));
        log.open(QIODevice::ReadOnly);
        m_problem = QStringLiteral("weston did not start: ") + QString::fromLocal8Bit(log.readAll().right(2000));
    }
}

WestonSession::~WestonSession()
{
    if (m_weston.state() == QProcess::NotRunning)
        return;
    m_weston.terminate();
    if (!m_weston.waitForFinished(5000))
        m_weston.kill();
    m_weston.waitForFinished(5000);
}

QProcessEnvironment WestonSession::environment(const QString &home) const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.insert(QStringLiteral("WAYLAND_DISPLAY"), m_socket);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/data"));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/cache"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home + QStringLiteral("/runtime"));
    env.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
    return env;
}
