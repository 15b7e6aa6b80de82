// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/PortalDesktop.h"

#include "support/ProcessLifetime.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>
#include <QFile>

namespace {

const QString kFrontend = QStringLiteral("/usr/libexec/xdg-desktop-portal");
const QString kBackendName = QStringLiteral("org.freedesktop.impl.portal.desktop.tarnwicktest");
const QString kDesktop = QStringLiteral("tarnwicktest");

QDBusMessage control(const QString &method)
{
    return QDBusMessage::createMethodCall(kBackendName, QStringLiteral("/control"),
                                          QStringLiteral("org.tarnwick.test.Desktop"), method);
}

} // namespace

PortalDesktop::PortalDesktop(const QStringList &backendArguments)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        m_problem = QStringLiteral("no session bus");
        return;
    }
    if (!QFile::exists(kFrontend)) {
        m_problem = QStringLiteral("xdg-desktop-portal is not installed");
        return;
    }
    m_backend.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_backend.start(QStringLiteral(DESKTOP_PORTAL_BACKEND), backendArguments);
    if (!waitUntil([&] { return bus.interface()->isServiceRegistered(kBackendName).value(); })) {
        m_problem = QStringLiteral("the test's portal backend did not start");
        return;
    }

    QFile portal(m_dir.filePath(kDesktop + QStringLiteral(".portal")));
    if (!portal.open(QIODevice::WriteOnly)) {
        m_problem = QStringLiteral("cannot write the .portal file");
        return;
    }
    portal.write("[portal]\nDBusName=" + kBackendName.toUtf8()
                 + "\nInterfaces=org.freedesktop.impl.portal.GlobalShortcuts;org.freedesktop.impl.portal.Settings;"
                 + "org.freedesktop.impl.portal.Screenshot;org.freedesktop.impl.portal.Access;"
                 + "\nUseIn=" + kDesktop.toUtf8() + "\n");
    portal.close();

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DESKTOP_PORTAL_DIR"), m_dir.path());
    env.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), kDesktop);
    m_frontend.setProcessEnvironment(env);
    m_frontend.setStandardOutputFile(QProcess::nullDevice());
    m_frontend.setStandardErrorFile(QProcess::nullDevice());
    // A frontend the bus started earlier for another test is replaced.
    m_frontend.start(kFrontend, {QStringLiteral("--replace")});
    const bool answers = waitUntil([&] {
        if (m_frontend.state() == QProcess::NotRunning)
            return true;
        QDBusMessage get = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.portal.Desktop"), QStringLiteral("/org/freedesktop/portal/desktop"),
            QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
        get << QStringLiteral("org.freedesktop.portal.GlobalShortcuts") << QStringLiteral("version");
        const QDBusMessage reply = bus.call(get, QDBus::Block, 2000);
        return reply.type() == QDBusMessage::ReplyMessage;
    });
    if (!answers || m_frontend.state() == QProcess::NotRunning)
        m_problem = QStringLiteral("xdg-desktop-portal does not offer GlobalShortcuts here");
}

PortalDesktop::~PortalDesktop()
{
    stopProcess(m_frontend);
    stopProcess(m_backend);
}

void PortalDesktop::activate(const QString &id, const QString &activationToken)
{
    QDBusMessage call = control(QStringLiteral("Activate"));
    call << id << activationToken;
    QDBusConnection::sessionBus().call(call);
}

void PortalDesktop::change(const QString &id, const QString &description)
{
    QDBusMessage call = control(QStringLiteral("Change"));
    call << id << description;
    QDBusConnection::sessionBus().call(call);
}

void PortalDesktop::setColorScheme(uint scheme)
{
    QDBusMessage call = control(QStringLiteral("SetColorScheme"));
    call << scheme;
    QDBusConnection::sessionBus().call(call);
}

QStringList PortalDesktop::bound() const
{
    const QDBusReply<QStringList> reply = QDBusConnection::sessionBus().call(control(QStringLiteral("Bound")));
    return reply.isValid() ? reply.value() : QStringList();
}
