#include "settings/KeyNames.h"

#include "platform/KeyTable.h"
#include "platform/x11/LayoutKeyName.h"

#include <array>
#include <utility>

namespace {

// Keys whose layout name would be a control character or a keysym name.
constexpr std::array<std::pair<quint32, const char *>, 17> kFixedNames = {{
    {49, "Space"},
    {36, "Return"},
    {48, "Tab"},
    {51, "Delete"},
    {123, "←"},
    {124, "→"},
    {125, "↓"},
    {126, "↑"},
    {96, "F5"},
    {97, "F6"},
    {98, "F7"},
    {99, "F3"},
    {100, "F8"},
    {101, "F9"},
    {109, "F10"},
    {103, "F11"},
    {111, "F12"},
}};

} // namespace

QString keyName(quint32 keyCode)
{
    for (const auto &[code, name] : kFixedNames) {
        if (code == keyCode)
            return QString::fromUtf8(name);
    }
    if (const std::optional<quint8> x11Keycode = KeyTable::x11KeycodeForVirtualKey(keyCode)) {
        if (std::optional<QString> name = layoutKeyName(*x11Keycode))
            return *name;
    }
    return QStringLiteral("Key%1").arg(keyCode);
}

QString hotkeyString(quint32 keyCode, quint32 modifiers)
{
    QString text;
    if (modifiers & KeyTable::carbonControl)
        text += QStringLiteral("⌃");
    if (modifiers & KeyTable::carbonOption)
        text += QStringLiteral("⌥");
    if (modifiers & KeyTable::carbonShift)
        text += QStringLiteral("⇧");
    if (modifiers & KeyTable::carbonCommand)
        text += QStringLiteral("⌘");
    return text + keyName(keyCode);
}
