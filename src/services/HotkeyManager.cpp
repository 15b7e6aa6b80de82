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
    case HotkeyManager::Hotkey::Launch:
        return Preferences::hotkeyBinding;
    case HotkeyManager::Hotkey::Screenshot:
        return Preferences::screenshotHotkeyBinding;
    case HotkeyManager::Hotkey::Dictate:
        break;
    }
    return Preferences::dictateHotkeyBinding;
}

} // namespace

QList<HotkeyBackend::Named> HotkeyManager::namedHotkeys()
{
    return {{int(Hotkey::Launch), QStringLiteral("launch"), tr("Open or close the Tarnwick panel")},
            {int(Hotkey::Screenshot), QStringLiteral("screenshot"), tr("Take a screenshot for Tarnwick")},
            {int(Hotkey::Dictate), QStringLiteral("dictate"), tr("Dictate a prompt to Tarnwick")}};
}

HotkeyManager::HotkeyManager(std::function<void()> callback, UserDefaults &defaults,
                             std::unique_ptr<HotkeyBackend> backend, QObject *parent)
    : QObject(parent)
    , m_callback(std::move(callback))
    , m_defaults(defaults)
    , m_backend(std::move(backend))
{
    slot(Hotkey::Launch).binding =
        HotkeyBinding::load(defaults, Preferences::hotkeyBinding, HotkeyBinding::builtInLaunch());
    slot(Hotkey::Screenshot).binding =
        HotkeyBinding::load(defaults, Preferences::screenshotHotkeyBinding, HotkeyBinding::builtInScreenshot());
    if (const QVariantMap record = defaults.dictionary(Preferences::dictateHotkeyBinding); !record.isEmpty())
        slot(Hotkey::Dictate).binding = HotkeyBinding::load(defaults, Preferences::dictateHotkeyBinding, {});
    connect(m_backend.get(), &HotkeyBackend::pressed, this, &HotkeyManager::onPressed);
    connect(m_backend.get(), &HotkeyBackend::resultChanged, this, [this](int id, HotkeyBackend::GrabResult result) {
        if (id >= int(Hotkey::Launch) && id <= int(Hotkey::Dictate))
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
    setBinding(Hotkey::Launch, HotkeyBinding{keyCode, modifiers});
}

void HotkeyManager::updateScreenshot(quint32 keyCode, quint32 modifiers)
{
    setBinding(Hotkey::Screenshot, HotkeyBinding{keyCode, modifiers});
}

void HotkeyManager::setBinding(Hotkey hotkey, std::optional<HotkeyBinding> binding)
{
    // The launch and screenshot hotkeys always have a binding.
    if (!binding && hotkey != Hotkey::Dictate)
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
        if (other != hotkey && slot(other).status == Status::SameAsOther)
            grab(other);
    }
    Q_EMIT bindingChanged(hotkey);
}

void HotkeyManager::unregister()
{
    for (Hotkey hotkey : allHotkeys) {
        m_backend->release(int(hotkey));
        setStatus(hotkey, Status::NotRegistered);
    }
}

std::optional<HotkeyManager::Hotkey> HotkeyManager::holderOfSameBinding(Hotkey hotkey) const
{
    for (Hotkey other : allHotkeys) {
        if (other == hotkey)
            break;
        const bool holds = slot(other).status == Status::Active || slot(other).status == Status::Pending;
        if (holds && slot(other).binding == slot(hotkey).binding)
            return other;
    }
    return std::nullopt;
}

void HotkeyManager::grab(Hotkey hotkey)
{
    if (!slot(hotkey).binding) {
        m_backend->release(int(hotkey));
        return setStatus(hotkey, Status::NotRegistered);
    }
    // The X server lets one client grab a combination twice, which would fire
    // both; an earlier hotkey keeps it, and a later one holding it gives it up.
    if (holderOfSameBinding(hotkey)) {
        m_backend->release(int(hotkey));
        return setStatus(hotkey, Status::SameAsOther);
    }
    for (Hotkey later : allHotkeys) {
        if (int(later) > int(hotkey) && slot(later).binding == slot(hotkey).binding
            && (slot(later).status == Status::Active || slot(later).status == Status::Pending)) {
            m_backend->release(int(later));
            setStatus(later, Status::SameAsOther);
        }
    }
    take(hotkey, m_backend->grab(int(hotkey), *slot(hotkey).binding));
}

void HotkeyManager::take(Hotkey hotkey, HotkeyBackend::GrabResult result)
{
    switch (result) {
    case HotkeyBackend::GrabResult::Grabbed:
        return setStatus(hotkey, Status::Active);
    case HotkeyBackend::GrabResult::Taken:
        return setStatus(hotkey, Status::Taken);
    case HotkeyBackend::GrabResult::UnknownKey:
        return setStatus(hotkey, Status::UnknownKey);
    case HotkeyBackend::GrabResult::Unsupported:
        return setStatus(hotkey, Status::Unsupported);
    case HotkeyBackend::GrabResult::Pending:
        return setStatus(hotkey, Status::Pending);
    case HotkeyBackend::GrabResult::Declined:
        return setStatus(hotkey, Status::Declined);
    }
}

HotkeyBackend::Mechanism HotkeyManager::mechanism(Hotkey hotkey) const
{
    return slot(hotkey).status == Status::Active ? m_backend->mechanism(int(hotkey)) : HotkeyBackend::Mechanism::None;
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
    case Status::Active:
    case Status::NotRegistered:
        return {};
    case Status::Taken:
        return tr("%1 is taken by another program, often the window manager: choose another combination.").arg(name);
    case Status::SameAsOther:
        return (holderOfSameBinding(hotkey) == Hotkey::Screenshot
                    ? tr("%1 is already the screenshot hotkey: choose another combination.")
                    : tr("%1 is already the launch hotkey: choose another combination."))
            .arg(name);
    case Status::UnknownKey:
        return tr("%1 has no key on this keyboard: choose another combination.").arg(name);
    case Status::Unsupported:
        return tr("Global hotkeys do not work in this session: bind \"tarnwick %1\" in your desktop's keyboard "
                  "settings.")
            .arg(hotkey == Hotkey::Launch           ? QStringLiteral("--toggle")
                     : hotkey == Hotkey::Screenshot ? QStringLiteral("--screenshot")
                                                    : QStringLiteral("--dictate"));
    case Status::Pending:
        return {};
    case Status::Declined:
        return tr("The desktop did not grant %1: choose another combination, or allow it in your desktop's keyboard "
                  "settings.")
            .arg(name);
    }
    return {};
}

void HotkeyManager::onPressed(int id, const QString &activationToken)
{
    WindowActivation::holdToken(activationToken);
    if (id == int(Hotkey::Launch)) {
        if (m_callback)
            m_callback();
    } else if (id == int(Hotkey::Screenshot)) {
        // Delivered after the key handler has returned.
        QMetaObject::invokeMethod(
            this, [] { NotificationCenter::defaultCenter().post(Notifications::takeTarnwickScreenshot); },
            Qt::QueuedConnection);
    } else if (id == int(Hotkey::Dictate)) {
        Q_EMIT dictatePressed();
    }
}
