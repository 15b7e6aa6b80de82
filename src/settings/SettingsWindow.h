// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class HotkeyManager;
class KeyStore;
class PresetStore;
class SettingsView;
class UserDefaults;

// The settings window: created on first use, then kept and reused, so that
// unsaved edits are still there when it is opened again.
class SettingsWindow : public QWidget
{
    Q_OBJECT

public:
    // hotkeys: the running program's hotkeys, re-registered on Save; may be null.
    SettingsWindow(UserDefaults &defaults, KeyStore &keys, PresetStore &presets, HotkeyManager *hotkeys,
                   QWidget *parent = nullptr);

    SettingsView *view() const { return m_view; }

private:
    SettingsView *m_view;
};
