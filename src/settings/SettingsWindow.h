#pragma once

#include <QWidget>

class HotkeyManager;
class SettingsView;

// The settings window: created on first use, then kept and reused, so that
// unsaved edits are still there when it is opened again.
class SettingsWindow : public QWidget
{
    Q_OBJECT

public:
    // hotkeys: the running program's hotkeys, re-registered on Save; may be null.
    explicit SettingsWindow(HotkeyManager *hotkeys = nullptr, QWidget *parent = nullptr);

    SettingsView *view() const { return m_view; }

private:
    SettingsView *m_view;
};
