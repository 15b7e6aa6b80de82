// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class LauncherViewModel;
class ModelSwitcherView;
class SymbolButton;
class UserDefaults;

// The launcher's top row: close, history toggle, brand, model switcher and
// new conversation.
class LauncherHeader : public QWidget
{
    Q_OBJECT

public:
    LauncherHeader(LauncherViewModel &vm, UserDefaults &defaults, QWidget *parent = nullptr);

    SymbolButton *closeButton() const { return m_close; }
    SymbolButton *sidebarButton() const { return m_sidebar; }
    SymbolButton *newConversationButton() const { return m_newConversation; }

    void setSidebarOpen(bool open);

private:
    SymbolButton *m_close;
    SymbolButton *m_sidebar;
    ModelSwitcherView *m_switcher;
    SymbolButton *m_newConversation;
};
