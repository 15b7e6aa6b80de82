// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/portal/PortalShortcut.h"

#include <QDBusMetaType>

QDBusArgument &operator<<(QDBusArgument &argument, const PortalShortcut &shortcut)
{
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, PortalShortcut &shortcut)
{
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

void registerPortalShortcutTypes()
{
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<PortalShortcuts>();
}

PortalShortcuts portalShortcutsFrom(const QVariant &value)
{
    if (value.canConvert<PortalShortcuts>() && value.metaType() == QMetaType::fromType<PortalShortcuts>())
        return value.value<PortalShortcuts>();
    if (value.metaType() != QMetaType::fromType<QDBusArgument>())
        return {};
    const QDBusArgument argument = value.value<QDBusArgument>();
    if (argument.currentSignature() != QLatin1String("a(sa{sv})"))
        return {};
    PortalShortcuts shortcuts;
    argument >> shortcuts;
    return shortcuts;
}
