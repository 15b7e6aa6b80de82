#pragma once

#include <QWidget>

// The settings window: created on first use, then kept and reused.
class SettingsWindow : public QWidget
{
    Q_OBJECT

public:
    explicit SettingsWindow(QWidget *parent = nullptr);
};
