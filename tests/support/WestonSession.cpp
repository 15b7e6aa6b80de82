#include "support/WestonSession.h"

#include "support/ProcessLifetime.h"
#include "support/XSession.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
const QString kSocketName = QStringLiteral("tarnwick-test");
} // namespace

bool WestonSession::installed()
{
    return !QStandardPaths::findExecutable(QStringLiteral("weston")).isEmpty();
}

WestonSession::WestonSession()
    : m_socket(m_dir.filePath(kSocketName))
{
    start(QProcessEnvironment::systemEnvironment(), {QStringLiteral("--backend=headless-backend.so")});
}

WestonSession::WestonSession(const XSession &display)
    : m_socket(m_dir.filePath(kSocketName))
{
    start(display.environment(),
          {QStringLiteral("--backend=x11-backend.so"), QStringLiteral("--use-pixman"), QStringLiteral("--width=1280"),
           QStringLiteral("--height=800")});
}

void WestonSession::start(QProcessEnvironment env, const QStringList &backend)
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

    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.path());
    m_weston.setProcessEnvironment(env);
    m_weston.setStandardOutputFile(m_dir.filePath(QStringLiteral("weston.log")));
    m_weston.setStandardErrorFile(m_dir.filePath(QStringLiteral("weston.log")));
    m_weston.start(QStringLiteral("weston"), QStringList(backend)
                                                 << QStringLiteral("--socket=") + kSocketName
                                                 << QStringLiteral("--config=") + config.fileName());
    waitUntil([&] { return m_weston.state() == QProcess::NotRunning || QFileInfo::exists(m_socket); });
    if (!QFileInfo::exists(m_socket)) {
        QFile log(m_dir.filePath(QStringLiteral("weston.log")));
        log.open(QIODevice::ReadOnly);
        m_problem = QStringLiteral("weston did not start: ") + QString::fromLocal8Bit(log.readAll().right(2000));
    }
}

WestonSession::~WestonSession()
{
    stopProcess(m_weston);
}

QProcessEnvironment WestonSession::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.insert(QStringLiteral("WAYLAND_DISPLAY"), m_socket);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
    env.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
    return env;
}
