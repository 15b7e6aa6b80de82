// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SettingsWindow.h"

#include "settings/SettingsView.h"

#include <QVBoxLayout>

SettingsWindow::SettingsWindow(UserDefaults &defaults, KeyStore &keys, PresetStore &presets, HotkeyManager *hotkeys,
                               QWidget *parent)
    // On top like the launcher panel, which would otherwise cover it when
    // Settings is opened from there.
    : QWidget(parent,
              Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                  | Qt::WindowMinimizeButtonHint | Qt::WindowStaysOnTopHint)
    , m_view(new SettingsView(defaults, keys, presets, hotkeys, this))
{
    setWindowTitle(QStringLiteral("Tarnwick Settings"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    setFixedSize(540, 460);
}
