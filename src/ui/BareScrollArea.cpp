// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/BareScrollArea.h"

#include <QAbstractScrollArea>

void makeBare(QAbstractScrollArea *view)
{
    view->setFrameShape(QFrame::NoFrame);
    view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->setAutoFillBackground(false);
    view->viewport()->setAutoFillBackground(false);
}
