// SPDX-License-Identifier: GPL-3.0-or-later
#include "content/SidewaysBlockView.h"

#include "content/HoverScrollBar.h"

SidewaysBlockView::SidewaysBlockView(QWidget *parent)
    : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

// The bar watches this widget for the pointer; it goes first, since the view
// it follows is destroyed with the other children and may still send events
// (a leave for the pointer resting on it) while half gone.
SidewaysBlockView::~SidewaysBlockView()
{
    delete m_bar;
}

void SidewaysBlockView::scrollSidewaysWith(QAbstractScrollArea *view)
{
    m_bar = new HoverScrollBar(view, this);
}
