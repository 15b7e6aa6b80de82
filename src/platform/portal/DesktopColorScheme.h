// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QVariant>

class QDBusMessage;
class QDBusPendingCallWatcher;

// The desktop's light or dark preference as its Settings portal tells it
// (org.freedesktop.appearance color-scheme), followed while the program runs.
// Where no portal answers, or the desktop states no preference, the scheme
// stays noPreference and the toolkit's palette decides.
class DesktopColorScheme : public QObject
{
    Q_OBJECT

public:
    enum class Scheme { NoPreference, Dark, Light };

    explicit DesktopColorScheme(QObject *parent = nullptr);

    Scheme scheme() const { return m_scheme; }

    // The portal's value: 1 dark, 2 light, anything else no preference. Older
    // frontends wrap the number in one variant more than they should.
    static Scheme fromPortalValue(const QVariant &value);

Q_SIGNALS:
    void schemeChanged();

private Q_SLOTS:
    // The message itself: a slot with a QDBusVariant argument is refused
    // while no D-Bus type has been used by name yet.
    void onSettingChanged(const QDBusMessage &message);

private:
    void onReadFinished(QDBusPendingCallWatcher *watcher);
    void setScheme(Scheme scheme);

    Scheme m_scheme = Scheme::NoPreference;
    bool m_heardChange = false;
};
