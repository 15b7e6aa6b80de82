// SPDX-License-Identifier: GPL-3.0-or-later
// A desktop's side of the GlobalShortcuts, Settings and Screenshot portals for
// tests: the real xdg-desktop-portal finds it through a .portal file and
// forwards to it. A screenshot is a magenta picture, as if the user picked a
// region of a magenta window.
// It binds what it is asked (or refuses, with --decline), describes each
// trigger in its own words, reports a colour scheme, and takes orders from
// the test on /control: Activate(id, token) as if the user pressed a
// shortcut, Change(id, text) as if the user changed it in the desktop's
// settings, Bound() to read back what was asked ("launch=ALT+space"),
// SetColorScheme(u) as if the user switched between light and dark.
#include "platform/portal/PortalShortcut.h"

#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusObjectPath>
#include <QDateTime>
#include <QDir>
#include <QImage>
#include <QUrl>

#include <cstdio>

namespace {

// "CTRL+LOGO+s" as a desktop would show it: "Ctrl+Super+S".
QString describe(const QString &trigger)
{
    QStringList parts = trigger.split(QLatin1Char('+'));
    for (QString &part : parts) {
        if (part == QLatin1String("CTRL"))
            part = QStringLiteral("Ctrl");
        else if (part == QLatin1String("ALT"))
            part = QStringLiteral("Alt");
        else if (part == QLatin1String("SHIFT"))
            part = QStringLiteral("Shift");
        else if (part == QLatin1String("LOGO"))
            part = QStringLiteral("Super");
        else if (!part.isEmpty())
            part[0] = part[0].toUpper();
    }
    return parts.join(QLatin1Char('+'));
}

class Backend : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.impl.portal.GlobalShortcuts")
    Q_PROPERTY(uint version READ version)

public:
    bool decline = false;
    QString session;
    PortalShortcuts bound;
    QStringList asked;

    uint version() const { return 1; }

public Q_SLOTS:
    uint CreateSession(const QDBusObjectPath &, const QDBusObjectPath &sessionHandle, const QString &,
                       const QVariantMap &, QVariantMap &results)
    {
        session = sessionHandle.path();
        results.insert(QStringLiteral("session_id"), session);
        return 0;
    }

    uint BindShortcuts(const QDBusObjectPath &, const QDBusObjectPath &sessionHandle,
                       const QList<PortalShortcut> &shortcuts, const QString &, const QVariantMap &,
                       QVariantMap &results)
    {
        for (const PortalShortcut &shortcut : shortcuts)
            asked << shortcut.id + QLatin1Char('=')
                    + shortcut.properties.value(QStringLiteral("preferred_trigger")).toString();
        if (decline)
            return 1;
        session = sessionHandle.path();
        bound.clear();
        for (const PortalShortcut &shortcut : shortcuts) {
            const QString trigger = shortcut.properties.value(QStringLiteral("preferred_trigger")).toString();
            bound << PortalShortcut{
                shortcut.id,
                {{QStringLiteral("description"), shortcut.properties.value(QStringLiteral("description"))},
                 {QStringLiteral("trigger_description"), describe(trigger)}}};
        }
        results.insert(QStringLiteral("shortcuts"), QVariant::fromValue(bound));
        return 0;
    }

    uint ListShortcuts(const QDBusObjectPath &, const QDBusObjectPath &, QVariantMap &results)
    {
        results.insert(QStringLiteral("shortcuts"), QVariant::fromValue(bound));
        return 0;
    }

Q_SIGNALS:
    void Activated(const QDBusObjectPath &sessionHandle, const QString &shortcutId, qulonglong timestamp,
                   const QVariantMap &options);
    void Deactivated(const QDBusObjectPath &sessionHandle, const QString &shortcutId, qulonglong timestamp,
                     const QVariantMap &options);
    void ShortcutsChanged(const QDBusObjectPath &sessionHandle, const QList<PortalShortcut> &shortcuts);
};

// Settings on the same object as the shortcuts, as a desktop's backend has them.
class Settings : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.impl.portal.Settings")
    Q_PROPERTY(uint version READ version)

public:
    explicit Settings(QObject *object)
        : QDBusAbstractAdaptor(object)
    {
    }

    uint colorScheme = 0;

    uint version() const { return 1; }

    void setColorScheme(uint scheme)
    {
        colorScheme = scheme;
        Q_EMIT SettingChanged(kAppearance, kColorScheme, QDBusVariant(scheme));
    }

public Q_SLOTS:
    QVariantMap ReadAll(const QStringList &)
    {
        return {{kAppearance, QVariant::fromValue(QVariantMap{{kColorScheme, colorScheme}})}};
    }

    QDBusVariant Read(const QString &nameSpace, const QString &key, const QDBusMessage &message)
    {
        if (nameSpace != kAppearance || key != kColorScheme) {
            message.setDelayedReply(true);
            QDBusConnection::sessionBus().send(
                message.createErrorReply(QStringLiteral("org.freedesktop.portal.Error.NotFound"),
                                         QStringLiteral("Requested setting not found")));
            return {};
        }
        return QDBusVariant(colorScheme);
    }

Q_SIGNALS:
    void SettingChanged(const QString &nameSpace, const QString &key, const QDBusVariant &value);

private:
    inline static const QString kAppearance = QStringLiteral("org.freedesktop.appearance");
    inline static const QString kColorScheme = QStringLiteral("color-scheme");
};

class ScreenshotTool : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.impl.portal.Screenshot")
    Q_PROPERTY(uint version READ version)

public:
    explicit ScreenshotTool(QObject *object)
        : QDBusAbstractAdaptor(object)
    {
    }

    uint version() const { return 2; }

public Q_SLOTS:
    uint Screenshot(const QDBusObjectPath &, const QString &, const QString &, const QVariantMap &,
                    QVariantMap &results)
    {
        QImage region(64, 48, QImage::Format_RGB32);
        region.fill(Qt::magenta);
        const QString path = QDir::temp().filePath(QStringLiteral("Screenshot-%1.png").arg(++m_count));
        if (!region.save(path))
            return 2;
        results.insert(QStringLiteral("uri"), QUrl::fromLocalFile(path).toString());
        return 0;
    }

private:
    int m_count = 0;
};

// The frontend offers screenshots only beside a desktop that can ask the user.
class AccessPrompt : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.impl.portal.Access")

public:
    explicit AccessPrompt(QObject *object)
        : QDBusAbstractAdaptor(object)
    {
    }

public Q_SLOTS:
    uint AccessDialog(const QDBusObjectPath &, const QString &, const QString &, const QString &, const QString &,
                      const QString &, const QVariantMap &, QVariantMap &)
    {
        return 0;
    }
};

class Control : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.tarnwick.test.Desktop")

public:
    Control(Backend &backend, Settings &settings)
        : m_backend(backend)
        , m_settings(settings)
    {
    }

public Q_SLOTS:
    void Activate(const QString &id, const QString &token)
    {
        QVariantMap options;
        if (!token.isEmpty())
            options.insert(QStringLiteral("activation_token"), token);
        const qulonglong now = qulonglong(QDateTime::currentMSecsSinceEpoch());
        Q_EMIT m_backend.Activated(QDBusObjectPath(m_backend.session), id, now, options);
        Q_EMIT m_backend.Deactivated(QDBusObjectPath(m_backend.session), id, now, {});
    }

    void Change(const QString &id, const QString &description)
    {
        for (PortalShortcut &shortcut : m_backend.bound) {
            if (shortcut.id == id)
                shortcut.properties.insert(QStringLiteral("trigger_description"), description);
        }
        Q_EMIT m_backend.ShortcutsChanged(QDBusObjectPath(m_backend.session), m_backend.bound);
    }

    QStringList Bound() { return m_backend.asked; }

    void SetColorScheme(uint scheme) { m_settings.setColorScheme(scheme); }

private:
    Backend &m_backend;
    Settings &m_settings;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    registerPortalShortcutTypes();
    Backend backend;
    backend.decline = app.arguments().contains(QStringLiteral("--decline"));
    auto *settings = new Settings(&backend);
    new ScreenshotTool(&backend);
    new AccessPrompt(&backend);
    Control control(backend, *settings);
    QDBusConnection bus = QDBusConnection::sessionBus();
    const auto exported = QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals
        | QDBusConnection::ExportAllProperties | QDBusConnection::ExportAdaptors;
    const bool ok = bus.registerObject(QStringLiteral("/org/freedesktop/portal/desktop"), &backend, exported)
        && bus.registerObject(QStringLiteral("/control"), &control, QDBusConnection::ExportAllSlots)
        && bus.registerService(QStringLiteral("org.freedesktop.impl.portal.desktop.tarnwicktest"));
    if (!ok) {
        std::fprintf(stderr, "desktop-portal-backend: cannot register on the session bus\n");
        return 1;
    }
    return QCoreApplication::exec();
}

#include "desktop_portal_backend.moc"
