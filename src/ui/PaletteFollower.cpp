// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/PaletteFollower.h"

#include <QEvent>
#include <QWidget>

PaletteFollower::PaletteFollower(QWidget *widget, std::function<void()> apply)
    : QObject(widget)
    , m_apply(std::move(apply))
{
    widget->installEventFilter(this);
}

bool PaletteFollower::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::PaletteChange)
        m_apply();
    return QObject::eventFilter(watched, event);
}
