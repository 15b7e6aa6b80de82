// SPDX-License-Identifier: GPL-3.0-or-later
#include "services/HotkeyManager.h"

#include "platform/AssignIfChanged.h"
#include "platform/Logging.h"
#include "platform/NotificationCenter.h"
#include "platform/Preferences.h"
#include "platform/UserDefaults.h"
#include "platform/WindowActivation.h"

namespace {

const QString &preferenceKey(HotkeyManager::Hotkey hotkey)
{
    switch (hotkey) {
    case HotkeyManager::Hotkey::launch:
        return Preferences::hotkeyBinding;
    case HotkeyManager::Hotkey::screenshot:
        return Preferences::screenshotHotkeyBinding;
    case HotkeyManager::Hotkey::dictate:
        break;
    }
    return Preferences::dictateHotkeyBinding;
}

} // namespace

QList<HotkeyBackend::Named> HotkeyManager::namedHotkeys()
{
    return {{int(Hotkey::launch), QStringLiteral("launch"), tr("Open or close the Tarnwick panel")},
            {int(Hotkey::screenshot), QStringLiteral("screenshot"), tr("Take a screenshot for Tarnwick")},
            {int(Hotkey::dictate), QStringLiteral("dictate"), tr("Dictate a prompt to Tarnwick")}};
}

HotkeyManager::HotkeyManager(std::function<void()> callback, UserDefaults &defaults,
                             std::unique_ptr<HotkeyBackend> backend, QObject *parent)
    : QObject(parent)
    , m_callback(std::move(callback))
    , m_defaults(defaults)
    , m_backend(std::move(backend))
{
    slot(Hotkey::launch).binding =
        HotkeyBinding::load(defaults, Preferences::hotkeyBinding, HotkeyBinding::builtInLaunch());
    slot(Hotkey::screenshot).binding =
        HotkeyBinding::load(defaults, Preferences::screenshotHotkeyBinding, HotkeyBinding::builtInScreenshot());
    if (const QVariantMap record = defaults.dictionary(Preferences::dictateHotkeyBinding); !record.isEmpty())
        slot(Hotkey::dictate).binding = HotkeyBinding::load(defaults, Preferences::dictateHotkeyBinding, {});
    connect(m_backend.get(), &HotkeyBackend::pressed, this, &HotkeyManager::onPressed);
    connect(m_backend.get(), &HotkeyBackend::resultChanged, this, [this](int id, HotkeyBackend::GrabResult result) {
        if (id >= int(Hotkey::launch) && id <= int(Hotkey::dictate))
            take(Hotkey(id), result);
    });
    connect(m_backend.get(), &HotkeyBackend::triggersChanged, this, [this] {
        for (Hotkey hotkey : allHotkeys)
            Q_EMIT bindingChanged(hotkey);
    });
}

HotkeyManager::~HotkeyManager()
{
    unregister();
}

HotkeyManager::Slot &HotkeyManager::slot(Hotkey hotkey)
{
    return m_slots[int(hotkey) - 1];
}

const HotkeyManager::Slot &HotkeyManager::slot(Hotkey hotkey) const
{
    return m_slots[int(hotkey) - 1];
}

void HotkeyManager::registerHotkeys()
{
    for (Hotkey hotkey : allHotkeys)
        grab(hotkey);
}

void HotkeyManager::update(quint32 keyCode, quint32 modifiers)
{
    setBinding(Hotkey::launch, HotkeyBinding{keyCode, modifiers});
}

void HotkeyManager::updateScreenshot(quint32 keyCode, quint32 modifiers)
{
    setBinding(Hotkey::screenshot, HotkeyBinding{keyCode, modifiers});
}

void HotkeyManager::setBinding(Hotkey hotkey, std::optional<HotkeyBinding> binding)
{
    // The launch and screenshot hotkeys always have a binding.
    if (!binding && hotkey != Hotkey::dictate)
        return;
    m_backend->release(int(hotkey));
    slot(hotkey).binding = binding;
    if (binding)
        binding->store(m_defaults, preferenceKey(hotkey));
    else
        m_defaults.remove(preferenceKey(hotkey));
    grab(hotkey);
    // A hotkey that lost out to this one may be free now.
    for (Hotkey other : allHotkeys) {
        if (other != hotkey && slot(other).status == Status::sameAsOther)
            grab(other);
    }
    Q_EMIT bindingChanged(hotkey);
}

void HotkeyManager::unregister()
{
    for (Hotkey hotkey : allHotkeys) {
        m_backend->release(int(hotkey));
        setStatus(hotkey, Status::notRegistered);
    }
}

std::optional<HotkeyManager::Hotkey> HotkeyManager::holderOfSameBinding(Hotkey hotkey) const
{
    for (Hotkey other : allHotkeys) {
        if (other == hotkey)
            break;
        const bool holds = slot(other).status == Status::active || slot(other).status == Status::pending;
        if (holds && slot(other).binding == slot(hotkey).binding)
            return other;
    }
    return std::nullopt;
}

void HotkeyManager::grab(Hotkey hotkey)
{
    if (!slot(hotkey).binding) {
        m_backend->release(int(hotkey));
        return setStatus(hotkey, Status::notRegistered);
    }
    // The X server lets one client grab a combination twice, which would fire
    // both; an earlier hotkey keeps it, and a later one holding it gives it up.
    if (holderOfSameBinding(hotkey)) {
        m_backend->release(int(hotkey));
        return setStatus(hotkey, Status::sameAsOther);
    }
    for (Hotkey later : allHotkeys) {
        if (int(later) > int(hotkey) && slot(later).binding == slot(hotkey).binding
            && (slot(later).status == Status::active || slot(later).status == Status::pending)) {
            m_backend->release(int(later));
            setStatus(later, Status::sameAsOther);
        }
    }
    take(hotkey, m_backend->grab(int(hotkey), *slot(hotkey).binding));
}

void HotkeyManager::take(Hotkey hotkey, HotkeyBackend::GrabResult result)
{
    switch (result) {
    case HotkeyBackend::GrabResult::grabbed:
        return setStatus(hotkey, Status::active);
    case HotkeyBackend::GrabResult::taken:
        return setStatus(hotkey, Status::taken);
    case HotkeyBackend::GrabResult::unknownKey:
        return setStatus(hotkey, Status::unknownKey);
    case HotkeyBackend::GrabResult::unsupported:
        return setStatus(hotkey, Status::unsupported);
    case HotkeyBackend::GrabResult::pending:
        return setStatus(hotkey, Status::pending);
    case HotkeyBackend::GrabResult::declined:
        return setStatus(hotkey, Status::declined);
    }
}

HotkeyBackend::Mechanism HotkeyManager::mechanism(Hotkey hotkey) const
{
    return slot(hotkey).status == Status::active ? m_backend->mechanism(int(hotkey)) : HotkeyBackend::Mechanism::none;
}

QString HotkeyManager::triggerText(Hotkey hotkey) const
{
    const QString desktops = m_backend->triggerDescription(int(hotkey));
    return desktops.isEmpty() ? binding(hotkey).displayText() : desktops;
}

void HotkeyManager::setStatus(Hotkey hotkey, Status status)
{
    if (!assignIfChanged(slot(hotkey).status, status))
        return;
    if (const QString problem = statusText(hotkey); !problem.isEmpty())
        qCWarning(lcHotkeys).noquote() << problem;
    Q_EMIT statusChanged(hotkey);
}

HotkeyBinding HotkeyManager::binding(Hotkey hotkey) const
{
    return slot(hotkey).binding.value_or(HotkeyBinding{});
}

bool HotkeyManager::isBound(Hotkey hotkey) const
{
    return slot(hotkey).binding.has_value();
}

HotkeyManager::Status HotkeyManager::status(Hotkey hotkey) const
{
    return slot(hotkey).status;
}

QString HotkeyManager::statusText(Hotkey hotkey) const
{
    const QString name = binding(hotkey).displayText();
    switch (slot(hotkey).status) {
    case Status::active:
    case Status::notRegistered:
        return {};
    case Status::taken:
        return tr("%1 is taken by another program, often the window manager: choose another combination.").arg(name);
    case Status::sameAsOther:
        return (holderOfSameBinding(hotkey) == Hotkey::screenshot
                    ? tr("%1 is already the screenshot hotkey: choose another combination.")
                    : tr("%1 is already the launch hotkey: choose another combination."))
            .arg(name);
    case Status::unknownKey:
        return tr("%1 has no key on this keyboard: choose another combination.").arg(name);
    case Status::unsupported:
        return tr("Global hotkeys do not work in this session: bind \"tarnwick %1\" in your desktop's keyboard "
                  "settings.")
            .arg(hotkey == Hotkey::launch           ? QStringLiteral("--toggle")
                     : hotkey == Hotkey::screenshot ? QStringLiteral("--screenshot")
                                                    : QStringLiteral("--dictate"));
    case Status::pending:
        return {};
    case Status::declined:
        return tr("The desktop did not grant %1: choose another combination, or allow it in your desktop's keyboard "
                  "settings.")
            .arg(name);
    }
    return {};
}

void HotkeyManager::onPressed(int id, const QString &activationToken)
{
    WindowActivation::holdToken(activationToken);
    if (id == int(Hotkey::launch)) {
        if (m_callback)
            m_callback();
    } else if (id == int(Hotkey::screenshot)) {
        // Delivered after the key handler has returned.
        QMetaObject::invokeMethod(
            this, [] { NotificationCenter::defaultCenter().post(Notifications::takeTarnwickScreenshot); },
            Qt::QueuedConnection);
    } else if (id == int(Hotkey::dictate)) {
        Q_EMIT dictatePressed();
    }
}
