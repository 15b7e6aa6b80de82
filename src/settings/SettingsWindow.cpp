#include "settings/SettingsWindow.h"

SettingsWindow::SettingsWindow(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                          | Qt::WindowMinimizeButtonHint)
{
    setWindowTitle(QStringLiteral("Tarnwick Settings"));
    setFixedSize(540, 460);
}
