// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "services/HotkeyManager.h"
#include "settings/FormSection.h"

class HotkeyRecorderView;
class QLabel;
class SettingsModel;

// The launch, screenshot and dictate hotkeys: a recorder each, with what holds the
// binding in force and what is wrong with it.
class HotkeyPage : public FormSection
{
    Q_OBJECT

public:
    HotkeyPage(SettingsModel &model, QWidget *parent = nullptr);

    HotkeyRecorderView *recorder(HotkeyManager::Hotkey hotkey) const;

private:
    struct Rows
    {
        HotkeyRecorderView *recorder = nullptr;
        QLabel *mechanism = nullptr;
        QLabel *problem = nullptr;
    };

    Rows addHotkey(HotkeyManager::Hotkey hotkey, const QString &name, const QString &label, const QString &caption);
    QWidget *recorderControl(HotkeyRecorderView *recorder, bool clearable);
    void showStatus();

    SettingsModel &m_model;
    Rows m_launch;
    Rows m_screenshot;
    Rows m_dictate;
};
