// SPDX-License-Identifier: GPL-3.0-or-later
#include "services/HotkeyNotice.h"

#include "platform/Preferences.h"
#include "platform/UserDefaults.h"

namespace {

QString bindingKey(HotkeyBinding binding)
{
    return QStringLiteral("%1/%2").arg(binding.keyCode).arg(binding.modifiers);
}

} // namespace

HotkeyNotice::HotkeyNotice(HotkeyManager &hotkeys, UserDefaults &defaults, std::chrono::milliseconds delay,
                           QObject *parent)
    : QObject(parent)
    , m_hotkeys(hotkeys)
    , m_defaults(defaults)
{
    m_deadline.setSingleShot(true);
    m_deadline.setInterval(delay);
    connect(&m_deadline, &QTimer::timeout, this, &HotkeyNotice::check);
    connect(&m_hotkeys, &HotkeyManager::statusChanged, this, &HotkeyNotice::onStatusChanged);
    connect(&m_hotkeys, &HotkeyManager::bindingChanged, this, &HotkeyNotice::onStatusChanged);
}

void HotkeyNotice::start()
{
    m_deadline.start();
}

bool HotkeyNotice::failed() const
{
    using Status = HotkeyManager::Status;
    switch (m_hotkeys.status(HotkeyManager::Hotkey::Launch)) {
    case Status::Active:
    case Status::NotRegistered:
    case Status::Pending:
        return false;
    case Status::Taken:
    case Status::SameAsOther:
    case Status::UnknownKey:
    case Status::Unsupported:
    case Status::Declined:
        return true;
    }
    return false;
}

void HotkeyNotice::check()
{
    m_deadlinePassed = true;
    const HotkeyBinding binding = m_hotkeys.binding(HotkeyManager::Hotkey::Launch);
    if (failed() && !shownBindings().contains(bindingKey(binding))) {
        setShown(binding, true);
        Q_EMIT due();
    }
    Q_EMIT checked();
}

void HotkeyNotice::onStatusChanged(HotkeyManager::Hotkey hotkey)
{
    if (hotkey != HotkeyManager::Hotkey::Launch)
        return;
    // A binding that works is forgotten, so that its failing later is told again.
    if (m_hotkeys.status(hotkey) == HotkeyManager::Status::Active)
        setShown(m_hotkeys.binding(hotkey), false);
    else if (m_deadlinePassed)
        check();
}

QString HotkeyNotice::summary() const
{
    return tr("The Tarnwick hotkey does not work");
}

QString HotkeyNotice::body() const
{
    return tr("%1 Until then, open Tarnwick from its tray icon or with \"tarnwick --toggle\".")
        .arg(m_hotkeys.statusText(HotkeyManager::Hotkey::Launch));
}

QStringList HotkeyNotice::shownBindings() const
{
    return m_defaults.stringList(Preferences::hotkeyNoticesShown);
}

void HotkeyNotice::setShown(HotkeyBinding binding, bool shown)
{
    QStringList bindings = shownBindings();
    const QString key = bindingKey(binding);
    if (bindings.contains(key) == shown)
        return;
    if (shown)
        bindings << key;
    else
        bindings.removeAll(key);
    m_defaults.set(Preferences::hotkeyNoticesShown, bindings);
}
