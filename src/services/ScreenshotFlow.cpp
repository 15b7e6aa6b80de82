// SPDX-License-Identifier: GPL-3.0-or-later
#include "services/ScreenshotFlow.h"

#include "platform/AppPaths.h"
#include "platform/Logging.h"
#include "platform/NotificationCenter.h"
#include "services/ScreenshotPortalRequest.h"
#include "services/ShellWords.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTimer>

namespace {

// Time for the launcher's fade-out to leave the screen before the capture.
constexpr int kHideDelayMs = 300;

bool onWayland()
{
    return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        || qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland");
}

} // namespace

ScreenshotFlow::ScreenshotFlow(QObject *parent)
    : QObject(parent)
{
}

ScreenshotFlow::~ScreenshotFlow()
{
    if (!m_running)
        return;
    if (m_process) {
        m_process->disconnect(this);
        m_process->kill();
        m_process->waitForFinished(1000);
    }
    if (!m_path.isEmpty())
        QFile::remove(m_path);
    // The launcher was hidden for this capture; never leave it so.
    askLauncher(true);
}

QString ScreenshotFlow::capturePath()
{
    const QString dir = AppPaths::runtimeDir();
    if (!AppPaths::ensurePrivateDir(dir))
        return {};
    return dir + QStringLiteral("/screenshot.png");
}

bool ScreenshotFlow::start()
{
    if (m_running)
        return false;
    m_running = true;
    m_path = capturePath();
    if (!m_path.isEmpty())
        QFile::remove(m_path);
    askLauncher(false);
    QTimer::singleShot(kHideDelayMs, this, &ScreenshotFlow::runCapture);
    return true;
}

void ScreenshotFlow::runCapture()
{
    if (m_path.isEmpty()) {
        finish(false);
        return;
    }
    const QString command = qEnvironmentVariable("TARNWICK_SCREENSHOT_COMMAND");
    if (!command.trimmed().isEmpty()) {
        std::optional<QStringList> arguments = splitShellWords(command);
        if (!arguments || arguments->isEmpty()) {
            finish(false);
            return;
        }
        const QString program = arguments->takeFirst();
        runCommand(program, *arguments << m_path);
    } else if (onWayland()) {
        runPortal();
    } else {
        runCommand(QCoreApplication::applicationFilePath(), {QStringLiteral("capture-region"), m_path});
    }
}

void ScreenshotFlow::runCommand(const QString &program, const QStringList &arguments)
{
    m_process = new QProcess(this);
    m_process->setProcessChannelMode(QProcess::ForwardedChannels);
    connect(m_process, &QProcess::finished, this, [this](int exitCode, QProcess::ExitStatus status) {
        m_process->deleteLater();
        finish(status == QProcess::NormalExit && exitCode == 0);
    });
    connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        qCWarning(lcScreenshot) << "The screenshot tool could not start:" << m_process->errorString();
        m_process->deleteLater();
        finish(false);
    });
    m_process->start(program, arguments);
}

void ScreenshotFlow::runPortal()
{
    m_portal = new ScreenshotPortalRequest(m_path, this);
    connect(m_portal, &ScreenshotPortalRequest::done, this, [this](bool ok) {
        m_portal->deleteLater();
        finish(ok);
    });
    m_portal->start();
}

void ScreenshotFlow::finish(bool facilitySucceeded)
{
    if (!m_running)
        return;
    QImage image;
    if (!m_path.isEmpty()) {
        QFile file(m_path);
        // Some tools exit 0 when the user cancels; only a file counts.
        if (facilitySucceeded && file.open(QIODevice::ReadOnly) && file.size() > 0)
            image = QImage::fromData(file.readAll());
        file.close();
        // The capture is screen content: never leave it behind, decodable or not.
        file.remove();
    }
    m_running = false;
    if (!image.isNull())
        Q_EMIT captured(image);
    askLauncher(true);
    Q_EMIT finished();
}

void ScreenshotFlow::askLauncher(bool show)
{
    // The names stay observable for the event trace, posted first as they always were.
    NotificationCenter::defaultCenter().post(show ? Notifications::showTarnwick : Notifications::hideTarnwick);
    if (show)
        Q_EMIT showRequested();
    else
        Q_EMIT hideRequested();
}
