// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractButton>

class LauncherViewModel;
class QMenu;
class UserDefaults;

// The pull-down in the launcher header: shows the model in use and switches
// provider and model in one choice.
class ModelSwitcherView : public QAbstractButton
{
    Q_OBJECT

public:
    ModelSwitcherView(LauncherViewModel &vm, UserDefaults &defaults, QWidget *parent = nullptr);

    // The menu as it would open now (rebuilt from the view model and the cached catalogue).
    QMenu *menu();

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void rebuildMenu();
    void refreshLabel();

    LauncherViewModel &m_vm;
    UserDefaults &m_defaults;
    QMenu *m_menu;
};
