// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusArgument>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QVariantMap>

// One entry of the GlobalShortcuts portal's a(sa{sv}) lists: an id and its
// properties ("description", "preferred_trigger", "trigger_description").
struct PortalShortcut
{
    QString id;
    QVariantMap properties;
};
using PortalShortcuts = QList<PortalShortcut>;

QDBusArgument &operator<<(QDBusArgument &argument, const PortalShortcut &shortcut);
const QDBusArgument &operator>>(const QDBusArgument &argument, PortalShortcut &shortcut);

// Once per process, before the types cross the bus.
void registerPortalShortcutTypes();
// A results value holding a(sa{sv}); empty when it holds something else.
PortalShortcuts portalShortcutsFrom(const QVariant &value);

Q_DECLARE_METATYPE(PortalShortcut)
