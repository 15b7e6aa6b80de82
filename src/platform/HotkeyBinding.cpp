#include "platform/HotkeyBinding.h"

#include "platform/Preferences.h"
#include "platform/UserDefaults.h"
#include "platform/KeyTable.h"
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
    QString text;
    if (modifiers & KeyTable::carbonControl)
        text += QStringLiteral("Ctrl+");
    if (modifiers & KeyTable::carbonOption)
        text += QStringLiteral("Alt+");
    if (modifiers & KeyTable::carbonShift)
        text += QStringLiteral("Shift+");
    if (modifiers & KeyTable::carbonCommand)
        text += QStringLiteral("Super+");
    return text + KeyTable::keyName(keyCode);
}

QString HotkeyBinding::xdgTrigger() const
{
    const std::optional<quint8> x11Keycode = KeyTable::x11KeycodeForVirtualKey(keyCode);
    const std::optional<QString> key = x11Keycode ? layoutKeysymName(*x11Keycode) : std::nullopt;
    if (!key)
        return {};
    QString text;
    if (modifiers & KeyTable::carbonControl)
        text += QStringLiteral("CTRL+");
    if (modifiers & KeyTable::carbonOption)
        text += QStringLiteral("ALT+");
    if (modifiers & KeyTable::carbonShift)
        text += QStringLiteral("SHIFT+");
    if (modifiers & KeyTable::carbonCommand)
        text += QStringLiteral("LOGO+");
    return text + *key;
}
