// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/HotkeyBinding.h"
#include "services/HotkeyManager.h"

#include <QObject>
#include <QTimer>

#include <chrono>

class UserDefaults;

// Decides when to tell the user that the launch hotkey does not work: once
// per binding, a moment after start (when the grab or the desktop's answer
// is known), and again when a binding that worked stops working. The
// bindings already told about are kept in the preferences, so the notice
// does not return at each login.
class HotkeyNotice : public QObject
{
    Q_OBJECT

public:
    HotkeyNotice(HotkeyManager &hotkeys, UserDefaults &defaults, std::chrono::milliseconds delay,
                 QObject *parent = nullptr);

    // Starts the wait after which the launch hotkey's state is looked at.
    void start();

    // The two texts of a notice for the launch hotkey's current state.
    QString summary() const;
    QString body() const;

Q_SIGNALS:
    void due();
    // The deadline passed; due() was emitted before it when a notice was needed.
    void checked();

private:
    void check();
    void onStatusChanged(HotkeyManager::Hotkey hotkey);
    bool failed() const;
    QStringList shownBindings() const;
    void setShown(HotkeyBinding binding, bool shown);

    HotkeyManager &m_hotkeys;
    UserDefaults &m_defaults;
    QTimer m_deadline;
    bool m_deadlinePassed = false;
};
