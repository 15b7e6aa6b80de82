// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/HotkeyBackend.h"

#include <QDBusMessage>
#include <QHash>
#include <QMap>

// Global shortcuts held by the desktop through its portal
// (org.freedesktop.portal.GlobalShortcuts): one session per set of bindings,
// each binding offered as its preferred trigger. The desktop may ask the user,
// choose another trigger, or refuse; grabs answer pending and the desktop's
// answer follows through resultChanged().
class PortalHotkeyBackend : public HotkeyBackend
{
    Q_OBJECT

public:
    explicit PortalHotkeyBackend(QList<Named> names, QObject *parent = nullptr);
    ~PortalHotkeyBackend() override;

    GrabResult grab(int id, HotkeyBinding binding) override;
    void release(int id) override;
    Mechanism mechanism(int id) const override;
    QString triggerDescription(int id) const override;

private Q_SLOTS:
    void onActivated(const QDBusMessage &message);
    void onShortcutsChanged(const QDBusMessage &message);

private:
    enum class Availability { Unknown, Asking, Available, Unavailable };

    void probe();
    void scheduleBind();
    void bind();
    void bindShortcuts(int generation);
    void takeAnswer(uint response, const QVariantMap &results, int generation);
    void closeSession();
    void answerAll(GrabResult result);
    const Named *named(const QString &name) const;

    QList<Named> m_names;
    Availability m_availability = Availability::Unknown;
    QMap<int, HotkeyBinding> m_wanted;
    QHash<int, QString> m_triggers; // bound ids and the desktop's description
    QString m_session;
    int m_generation = 0;
    bool m_bindQueued = false;
};
