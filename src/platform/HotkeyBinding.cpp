// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/HotkeyBinding.h"

#include "platform/KeyTable.h"
#include "platform/Preferences.h"
#include "platform/UserDefaults.h"
#include "platform/x11/LayoutKeyName.h"

#include <QVariantMap>

#include <limits>

namespace {

quint32 entryOr(const QVariantMap &record, const QString &entry, quint32 fallback)
{
    const QVariant value = record.value(entry);
    if (value.typeId() != QMetaType::LongLong)
        return fallback;
    const qint64 number = value.toLongLong();
    if (number < 0 || number > std::numeric_limits<quint32>::max())
        return fallback;
    return static_cast<quint32>(number);
}

// Modifiers in the order desktops write them, as shown to the user and as the
// XDG shortcuts format spells them.
struct ModifierName
{
    quint32 stored;
    QLatin1StringView shown;
    QLatin1StringView xdg;
};

constexpr ModifierName kModifierNames[] = {
    {KeyTable::storedControl, QLatin1StringView("Ctrl"), QLatin1StringView("CTRL")},
    {KeyTable::storedAlt, QLatin1StringView("Alt"), QLatin1StringView("ALT")},
    {KeyTable::storedShift, QLatin1StringView("Shift"), QLatin1StringView("SHIFT")},
    {KeyTable::storedSuper, QLatin1StringView("Super"), QLatin1StringView("LOGO")},
};

QString withModifiers(quint32 modifiers, QLatin1StringView ModifierName::*name, const QString &key)
{
    QString text;
    for (const ModifierName &modifier : kModifierNames) {
        if (modifiers & modifier.stored) {
            text += modifier.*name;
            text += QLatin1Char('+');
        }
    }
    return text + key;
}

} // namespace

HotkeyBinding HotkeyBinding::builtInLaunch()
{
    return {Preferences::defaultLaunchKeyCode, Preferences::defaultLaunchModifiers};
}

HotkeyBinding HotkeyBinding::builtInScreenshot()
{
    return {Preferences::defaultScreenshotKeyCode, Preferences::defaultScreenshotModifiers};
}

HotkeyBinding HotkeyBinding::load(const UserDefaults &defaults, const QString &key, HotkeyBinding builtIn)
{
    const QVariantMap record = defaults.dictionary(key);
    return {entryOr(record, Preferences::keyCodeEntry, builtIn.keyCode),
            entryOr(record, Preferences::modifiersEntry, builtIn.modifiers)};
}

bool HotkeyBinding::store(UserDefaults &defaults, const QString &key) const
{
    QVariantMap record;
    record.insert(Preferences::keyCodeEntry, qint64(keyCode));
    record.insert(Preferences::modifiersEntry, qint64(modifiers));
    return defaults.set(key, record);
}

QString HotkeyBinding::displayText() const
{
    return withModifiers(modifiers, &ModifierName::shown, KeyTable::keyName(keyCode));
}

QString HotkeyBinding::xdgTrigger() const
{
    const std::optional<quint8> x11Keycode = KeyTable::x11KeycodeForStoredKey(keyCode);
    const std::optional<QString> key = x11Keycode ? layoutKeysymName(*x11Keycode) : std::nullopt;
    if (!key)
        return {};
    return withModifiers(modifiers, &ModifierName::xdg, *key);
}
