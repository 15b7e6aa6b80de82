#include "services/HotkeyManager.h"

#include "platform/AssignIfChanged.h"
#include "platform/Logging.h"
#include "platform/NotificationCenter.h"
#include "platform/Preferences.h"
#include "platform/UserDefaults.h"
#include "platform/WindowActivation.h"

HotkeyManager::HotkeyManager(std::function<void()> callback, QObject *parent)
    : HotkeyManager(std::move(callback), UserDefaults::standard(),
                    HotkeyBackend::createForPlatform({{int(Hotkey::launch), QStringLiteral("launch"),
                                                       tr("Open or close the Tarnwick panel")},
                                                      {int(Hotkey::screenshot), QStringLiteral("screenshot"),
                                                       tr("Take a screenshot for Tarnwick")}}),
                    parent)
{
}

HotkeyManager::HotkeyManager(std::function<void()> callback, UserDefaults &defaults,
                             std::unique_ptr<HotkeyBackend> backend, QObject *parent)
    : QObject(parent)
    , m_callback(std::move(callback))
    , m_defaults(defaults)
    , m_backend(std::move(backend))
{
    m_launch.binding = HotkeyBinding::load(defaults, Preferences::hotkeyBinding, HotkeyBinding::builtInLaunch());
    m_screenshot.binding =
        HotkeyBinding::load(defaults, Preferences::screenshotHotkeyBinding, HotkeyBinding::builtInScreenshot());
    connect(m_backend.get(), &HotkeyBackend::pressed, this, &HotkeyManager::onPressed);
    connect(m_backend.get(), &HotkeyBackend::resultChanged, this, [this](int id, HotkeyBackend::GrabResult result) {
        if (id == int(Hotkey::launch) || id == int(Hotkey::screenshot))
            take(Hotkey(id), result);
    });
    connect(m_backend.get(), &HotkeyBackend::triggersChanged, this, [this] {
        Q_EMIT bindingChanged(Hotkey::launch);
        Q_EMIT bindingChanged(Hotkey::screenshot);
    });
}

HotkeyManager::~HotkeyManager()
{
    unregister();
}

HotkeyManager::Slot &HotkeyManager::slot(Hotkey hotkey)
{
    return hotkey == Hotkey::launch ? m_launch : m_screenshot;
}

const HotkeyManager::Slot &HotkeyManager::slot(Hotkey hotkey) const
{
    return hotkey == Hotkey::launch ? m_launch : m_screenshot;
}

void HotkeyManager::registerHotkeys()
{
    grab(Hotkey::launch);
    grab(Hotkey::screenshot);
}

void HotkeyManager::update(quint32 keyCode, quint32 modifiers)
{
    replace(Hotkey::launch, {keyCode, modifiers});
}

void HotkeyManager::updateScreenshot(quint32 keyCode, quint32 modifiers)
{
    replace(Hotkey::screenshot, {keyCode, modifiers});
}

void HotkeyManager::replace(Hotkey hotkey, HotkeyBinding binding)
{
    m_backend->release(int(hotkey));
    slot(hotkey).binding = binding;
    binding.store(m_defaults,
                  hotkey == Hotkey::launch ? Preferences::hotkeyBinding : Preferences::screenshotHotkeyBinding);
    grab(hotkey);
    // A hotkey that lost out to its twin may be free now.
    const Hotkey other = hotkey == Hotkey::launch ? Hotkey::screenshot : Hotkey::launch;
    if (slot(other).status == Status::sameAsOther || slot(hotkey).status == Status::sameAsOther)
        grab(other);
    Q_EMIT bindingChanged(hotkey);
}

void HotkeyManager::unregister()
{
    for (Hotkey hotkey : {Hotkey::launch, Hotkey::screenshot}) {
        m_backend->release(int(hotkey));
        setStatus(hotkey, Status::notRegistered);
    }
}

void HotkeyManager::grab(Hotkey hotkey)
{
    const Hotkey other = hotkey == Hotkey::launch ? Hotkey::screenshot : Hotkey::launch;
    // The X server lets one client grab a combination twice, which would fire both.
    const bool otherHolds = slot(other).status == Status::active || slot(other).status == Status::pending;
    if (slot(hotkey).binding == slot(other).binding && otherHolds) {
        if (hotkey == Hotkey::launch) {
            m_backend->release(int(other));
            setStatus(other, Status::sameAsOther);
        } else {
            m_backend->release(int(hotkey));
            setStatus(hotkey, Status::sameAsOther);
            return;
        }
    }
    take(hotkey, m_backend->grab(int(hotkey), slot(hotkey).binding));
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
    return desktops.isEmpty() ? slot(hotkey).binding.displayText() : desktops;
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
    return slot(hotkey).binding;
}

HotkeyManager::Status HotkeyManager::status(Hotkey hotkey) const
{
    return slot(hotkey).status;
}

QString HotkeyManager::statusText(Hotkey hotkey) const
{
    const QString name = slot(hotkey).binding.displayText();
    switch (slot(hotkey).status) {
    case Status::active:
    case Status::notRegistered:
        return {};
    case Status::taken:
        return tr("%1 is taken by another program, often the window manager: choose another combination.")
            .arg(name);
    case Status::sameAsOther:
        return tr("%1 is already the launch hotkey: choose another combination.").arg(name);
    case Status::unknownKey:
        return tr("%1 has no key on this keyboard: choose another combination.").arg(name);
    case Status::unsupported:
        return tr("Global hotkeys do not work in this session: bind \"tarnwick %1\" in your desktop's keyboard "
                  "settings.")
            .arg(hotkey == Hotkey::launch ? QStringLiteral("--toggle") : QStringLiteral("--screenshot"));
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
    }
}
