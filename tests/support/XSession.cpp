// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/XSession.h"

#include "support/ProcessLifetime.h"

#include <QFile>
#include <QStandardPaths>

#include <xcb/xcb.h>

#include <cstdlib>

namespace {

template<typename T> struct Reply
{
    T *p;
    ~Reply() { std::free(p); }
    T *operator->() const { return p; }
    explicit operator bool() const { return p; }
};

} // namespace

XSession::XSession(const QString &openboxConfig)
{
    for (const char *tool : {"Xvfb", "openbox", "xdotool"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty()) {
            m_problem = QStringLiteral("%1 is not installed").arg(QString::fromLatin1(tool));
            return;
        }
    }
    // Xvfb writes the display number it picked to the file descriptor named.
    QFile displayFile(m_dir.filePath(QStringLiteral("display")));
    m_xvfb.setStandardOutputFile(displayFile.fileName());
    m_xvfb.start(QStringLiteral("Xvfb"),
                 {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"), QStringLiteral("0"),
                  QStringLiteral("1600x1000x24"), QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    const bool started = waitUntil([&] {
        if (!displayFile.open(QIODevice::ReadOnly))
            return false;
        const QByteArray number = displayFile.readAll().trimmed();
        displayFile.close();
        if (!number.isEmpty())
            m_display = QLatin1Char(':') + QString::fromLatin1(number);
        return !number.isEmpty();
    });
    if (!started) {
        m_problem = QStringLiteral("Xvfb did not start");
        return;
    }
    m_connection = xcb_connect(m_display.toLatin1().constData(), nullptr);
    if (xcb_connection_has_error(m_connection)) {
        m_problem = QStringLiteral("cannot connect to Xvfb");
        return;
    }

    m_windowManager.setProcessEnvironment(environment());
    m_windowManager.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_windowManager.start(QStringLiteral("openbox"),
                          {QStringLiteral("--config-file"), openboxConfig, QStringLiteral("--sm-disable")});
    // Openbox is ready once it owns the window manager selection.
    const QByteArray selection = "WM_S0";
    Reply<xcb_intern_atom_reply_t> atom{xcb_intern_atom_reply(
        m_connection, xcb_intern_atom(m_connection, 0, selection.size(), selection.constData()), nullptr)};
    const bool managed = waitUntil([&] {
        Reply<xcb_get_selection_owner_reply_t> owner{xcb_get_selection_owner_reply(
            m_connection, xcb_get_selection_owner(m_connection, atom ? atom->atom : 0), nullptr)};
        return owner && owner->owner != XCB_WINDOW_NONE;
    });
    if (!managed)
        m_problem = QStringLiteral("openbox did not start");
}

XSession::~XSession()
{
    stopHelpers();
    stopProcess(m_windowManager);
    stopProcess(m_xvfb);
    if (m_connection)
        xcb_disconnect(m_connection);
}

QProcessEnvironment XSession::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_display);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    return env;
}

QString XSession::run(const QString &program, const QStringList &arguments, int *exitCode) const
{
    QProcess process;
    process.setProcessEnvironment(environment());
    process.start(program, arguments);
    process.waitForFinished(30000);
    if (exitCode)
        *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

bool XSession::xdotool(const QStringList &arguments) const
{
    int exitCode = -1;
    run(QStringLiteral("xdotool"), arguments, &exitCode);
    return exitCode == 0;
}

bool XSession::pressKeys(const QString &keys) const
{
    return xdotool(QStringList{QStringLiteral("key")} + keys.split(QLatin1Char(' ')));
}

bool XSession::startHelper(const QString &program, const QStringList &arguments)
{
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(environment());
    process->start(program, arguments);
    if (!process->waitForStarted(10000))
        return false;
    m_helpers.push_back(std::move(process));
    return true;
}

void XSession::stopHelpers()
{
    for (const auto &process : m_helpers)
        stopProcess(*process);
    m_helpers.clear();
}

bool XSession::isViewable(quint32 window) const
{
    Reply<xcb_get_window_attributes_reply_t> attributes{
        xcb_get_window_attributes_reply(m_connection, xcb_get_window_attributes(m_connection, window), nullptr)};
    return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
}

quint32 XSession::activeWindow() const
{
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
    const QByteArray name = "_NET_ACTIVE_WINDOW";
    Reply<xcb_intern_atom_reply_t> atom{
        xcb_intern_atom_reply(m_connection, xcb_intern_atom(m_connection, 0, name.size(), name.constData()), nullptr)};
    if (!atom)
        return 0;
    Reply<xcb_get_property_reply_t> property{xcb_get_property_reply(
        m_connection, xcb_get_property(m_connection, 0, screen->root, atom->atom, XCB_ATOM_WINDOW, 0, 1), nullptr)};
    if (!property || xcb_get_property_value_length(property.p) < 4)
        return 0;
    return *static_cast<const quint32 *>(xcb_get_property_value(property.p));
}

bool XSession::grabKey(quint8 keycode, quint16 modifiers)
{
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
    Reply<xcb_generic_error_t> error{
        xcb_request_check(m_connection,
                          xcb_grab_key_checked(m_connection, 0, screen->root, modifiers, keycode, XCB_GRAB_MODE_ASYNC,
                                               XCB_GRAB_MODE_ASYNC))};
    return !error;
}

void XSession::releaseKey(quint8 keycode, quint16 modifiers)
{
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
    xcb_ungrab_key(m_connection, keycode, screen->root, modifiers);
    xcb_flush(m_connection);
}
