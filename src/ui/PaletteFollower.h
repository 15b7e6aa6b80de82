// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <functional>

class QWidget;

// Runs a widget's colour set-up again whenever its palette changes: the
// launcher and Settings take their colours from the palette, which changes
// with the theme and the desktop's colour scheme. Owned by the widget.
class PaletteFollower : public QObject
{
    Q_OBJECT

public:
    PaletteFollower(QWidget *widget, std::function<void()> apply);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::function<void()> m_apply;
};
