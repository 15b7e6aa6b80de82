// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/portal/PortalHotkeyBackend.h"

#include "platform/portal/PortalRequest.h"
#include "platform/portal/PortalShortcut.h"

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QTimer>

namespace {

const QString kInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
// Starting the portal on first use may take a moment; longer means none.
constexpr int kProbeTimeoutMs = 5000;

QDBusMessage portalCall(const QString &method)
{
    return QDBusMessage::createMethodCall(PortalRequest::service, PortalRequest::path, kInterface, method);
}

} // namespace

PortalHotkeyBackend::PortalHotkeyBackend(QList<Named> names, QObject *parent)
    : HotkeyBackend(parent)
    , m_names(std::move(names))
{
    registerPortalShortcutTypes();
}

PortalHotkeyBackend::~PortalHotkeyBackend()
{
    closeSession();
}

const HotkeyBackend::Named *PortalHotkeyBackend::named(const QString &name) const
{
    for (const Named &entry : m_names) {
        if (entry.name == name)
            return &entry;
    }
    return nullptr;
}

HotkeyBackend::GrabResult PortalHotkeyBackend::grab(int id, HotkeyBinding binding)
{
    if (m_availability == Availability::Unavailable || !QDBusConnection::sessionBus().isConnected())
        return GrabResult::Unsupported;
    if (binding.xdgTrigger().isEmpty())
        return GrabResult::UnknownKey;
    m_wanted.insert(id, binding);
    m_triggers.remove(id);
    scheduleBind();
    return GrabResult::Pending;
}

void PortalHotkeyBackend::release(int id)
{
    if (!m_wanted.remove(id))
        return;
    m_triggers.remove(id);
    scheduleBind();
}

HotkeyBackend::Mechanism PortalHotkeyBackend::mechanism(int id) const
{
    return m_triggers.contains(id) ? Mechanism::DesktopShortcut : Mechanism::None;
}

QString PortalHotkeyBackend::triggerDescription(int id) const
{
    return m_triggers.value(id);
}

// Both hotkeys are registered one after the other: one session binds both.
void PortalHotkeyBackend::scheduleBind()
{
    if (m_bindQueued)
        return;
    m_bindQueued = true;
    QTimer::singleShot(0, this, [this] {
        m_bindQueued = false;
        bind();
    });
}

void PortalHotkeyBackend::probe()
{
    m_availability = Availability::Asking;
    QDBusMessage call =
        QDBusMessage::createMethodCall(PortalRequest::service, PortalRequest::path,
                                       QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    call << kInterface << QStringLiteral("version");
    auto *watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call, kProbeTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
        watcher->deleteLater();
        const QDBusPendingReply<QDBusVariant> reply = *watcher;
        m_availability = reply.isError() ? Availability::Unavailable : Availability::Available;
        if (m_availability == Availability::Available) {
            QDBusConnection bus = QDBusConnection::sessionBus();
            bus.connect(PortalRequest::service, PortalRequest::path, kInterface, QStringLiteral("Activated"), this,
                        SLOT(onActivated(QDBusMessage)));
            bus.connect(PortalRequest::service, PortalRequest::path, kInterface, QStringLiteral("ShortcutsChanged"),
                        this, SLOT(onShortcutsChanged(QDBusMessage)));
        }
        bind();
    });
}

// A new set of bindings gets a new session: portals bind a session once.
void PortalHotkeyBackend::bind()
{
    if (m_availability == Availability::Unknown)
        return probe();
    if (m_availability == Availability::Asking)
        return;
    if (m_availability == Availability::Unavailable)
        return answerAll(GrabResult::Unsupported);
    closeSession();
    const int generation = ++m_generation;
    if (m_wanted.isEmpty())
        return;
    QDBusMessage call = portalCall(QStringLiteral("CreateSession"));
    call << QVariantMap{{QStringLiteral("session_handle_token"), PortalRequest::newToken()}};
    auto *request = new PortalRequest(call, this);
    connect(request, &PortalRequest::finished, this,
            [this, request, generation](uint response, const QVariantMap &results) {
        request->deleteLater();
        if (generation != m_generation)
            return;
        // A string in the documented answer, an object path from some portals.
        const QVariant handle = results.value(QStringLiteral("session_handle"));
        m_session = handle.metaType() == QMetaType::fromType<QDBusObjectPath>() ? handle.value<QDBusObjectPath>().path()
                                                                                : handle.toString();
        if (response != 0 || m_session.isEmpty())
            return answerAll(response == 1 ? GrabResult::Declined : GrabResult::Unsupported);
        bindShortcuts(generation);
    });
    request->start();
}

void PortalHotkeyBackend::bindShortcuts(int generation)
{
    PortalShortcuts shortcuts;
    for (auto it = m_wanted.cbegin(); it != m_wanted.cend(); ++it) {
        const auto entry =
            std::find_if(m_names.cbegin(), m_names.cend(), [&](const Named &n) { return n.id == it.key(); });
        if (entry == m_names.cend())
            continue;
        shortcuts << PortalShortcut{entry->name,
                                    {{QStringLiteral("description"), entry->description},
                                     {QStringLiteral("preferred_trigger"), it.value().xdgTrigger()}}};
    }
    QDBusMessage call = portalCall(QStringLiteral("BindShortcuts"));
    call << QVariant::fromValue(QDBusObjectPath(m_session)) << QVariant::fromValue(shortcuts) << QString()
         << QVariantMap();
    auto *request = new PortalRequest(call, this);
    connect(request, &PortalRequest::finished, this,
            [this, request, generation](uint response, const QVariantMap &results) {
        request->deleteLater();
        if (generation == m_generation)
            takeAnswer(response, results, generation);
    });
    request->start();
}

// What the desktop bound; an id it left out was refused.
void PortalHotkeyBackend::takeAnswer(uint response, const QVariantMap &results, int)
{
    if (response != 0)
        return answerAll(GrabResult::Declined);
    const PortalShortcuts bound = portalShortcutsFrom(results.value(QStringLiteral("shortcuts")));
    for (auto it = m_wanted.cbegin(); it != m_wanted.cend(); ++it) {
        const auto entry =
            std::find_if(m_names.cbegin(), m_names.cend(), [&](const Named &n) { return n.id == it.key(); });
        const auto match = std::find_if(bound.cbegin(), bound.cend(), [&](const PortalShortcut &shortcut) {
            return entry != m_names.cend() && shortcut.id == entry->name;
        });
        if (match == bound.cend()) {
            m_triggers.remove(it.key());
            Q_EMIT resultChanged(it.key(), GrabResult::Declined);
            continue;
        }
        QString description = match->properties.value(QStringLiteral("trigger_description")).toString();
        if (description.isEmpty())
            description = it.value().displayText();
        m_triggers.insert(it.key(), description);
        Q_EMIT resultChanged(it.key(), GrabResult::Grabbed);
    }
}

void PortalHotkeyBackend::answerAll(GrabResult result)
{
    m_triggers.clear();
    for (int id : m_wanted.keys())
        Q_EMIT resultChanged(id, result);
}

void PortalHotkeyBackend::closeSession()
{
    if (m_session.isEmpty())
        return;
    QDBusConnection::sessionBus().asyncCall(QDBusMessage::createMethodCall(
        PortalRequest::service, m_session, QStringLiteral("org.freedesktop.portal.Session"), QStringLiteral("Close")));
    m_session.clear();
}

void PortalHotkeyBackend::onActivated(const QDBusMessage &message)
{
    const QList<QVariant> arguments = message.arguments();
    if (arguments.size() < 4 || arguments[0].value<QDBusObjectPath>().path() != m_session)
        return;
    const Named *entry = named(arguments[1].toString());
    if (!entry || !m_triggers.contains(entry->id))
        return;
    const QVariantMap options = qdbus_cast<QVariantMap>(arguments[3]);
    Q_EMIT pressed(entry->id, options.value(QStringLiteral("activation_token")).toString());
}

void PortalHotkeyBackend::onShortcutsChanged(const QDBusMessage &message)
{
    const QList<QVariant> arguments = message.arguments();
    if (arguments.size() < 2 || arguments[0].value<QDBusObjectPath>().path() != m_session)
        return;
    for (const PortalShortcut &shortcut : portalShortcutsFrom(arguments[1])) {
        const Named *entry = named(shortcut.id);
        if (entry && m_triggers.contains(entry->id))
            m_triggers.insert(entry->id, shortcut.properties.value(QStringLiteral("trigger_description")).toString());
    }
    Q_EMIT triggersChanged();
}
