#pragma once

#include <QAbstractButton>
#include <QStringList>

#include <functional>

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
    // One provider's section of the menu from its cached model list.
    void addCachedModels(const QStringList &models, const QString &provider, const QString &selected,
                         const std::function<void(const QString &)> &select, const QString &emptyText);
    void refreshLabel();

    LauncherViewModel &m_vm;
    UserDefaults &m_defaults;
    QMenu *m_menu;
};
