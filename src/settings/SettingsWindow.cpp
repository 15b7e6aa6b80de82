#include "settings/SettingsWindow.h"

SettingsWindow::SettingsWindow(QWidget *parent)
    // On top like the launcher panel, which would otherwise cover it when
    // Settings is opened from there.
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                          | Qt::WindowMinimizeButtonHint | Qt::WindowStaysOnTopHint)
{
    setWindowTitle(QStringLiteral("Tarnwick Settings"));
    setFixedSize(540, 460);
}
