// SPDX-License-Identifier: GPL-3.0-or-later
#include "content/HoverScrollBar.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QWheelEvent>

HoverScrollBar::HoverScrollBar(QAbstractScrollArea *view, QWidget *host)
    : QScrollBar(Qt::Horizontal, host)
    , m_view(view)
    , m_host(host)
{
    setCursor(Qt::ArrowCursor);
    setStyleSheet(
        QStringLiteral("QScrollBar:horizontal { height: %1px; background: transparent; border: none; margin: 0; }"
                       "QScrollBar::handle:horizontal { background: rgba(128, 128, 128, 150); border-radius: 4px; "
                       "min-width: 24px; }"
                       "QScrollBar::handle:horizontal:hover { background: rgba(128, 128, 128, 210); }"
                       "QScrollBar::add-line:horizontal, QScrollBar::sub-line:horizontal { width: 0; border: none; }"
                       "QScrollBar::add-page:horizontal, QScrollBar::sub-page:horizontal { background: transparent; }")
            .arg(kThickness));
    QScrollBar *own = view->horizontalScrollBar();
    connect(own, &QScrollBar::rangeChanged, this, &HoverScrollBar::follow);
    connect(own, &QScrollBar::valueChanged, this, &QScrollBar::setValue);
    connect(this, &QScrollBar::valueChanged, own, &QScrollBar::setValue);
    host->installEventFilter(this);
    follow();
}

bool HoverScrollBar::isNeeded() const
{
    return m_view && m_view->horizontalScrollBar()->maximum() > 0;
}

void HoverScrollBar::follow()
{
    if (!m_view)
        return;
    const QScrollBar *own = m_view->horizontalScrollBar();
    setRange(own->minimum(), own->maximum());
    setPageStep(own->pageStep());
    setSingleStep(own->singleStep());
    setValue(own->value());
    setVisible(m_hovered && isNeeded());
}

bool HoverScrollBar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_host && (event->type() == QEvent::Enter || event->type() == QEvent::Leave)) {
        m_hovered = event->type() == QEvent::Enter;
        follow();
        if (isVisible())
            raise();
    }
    return QScrollBar::eventFilter(watched, event);
}

bool scrollSideways(QAbstractScrollArea *view, QWheelEvent *event)
{
    QScrollBar *bar = view->horizontalScrollBar();
    const QPoint angle = event->angleDelta();
    const bool sideways = qAbs(angle.x()) > qAbs(angle.y());
    if (!sideways && !(event->modifiers() & Qt::ShiftModifier))
        return false;
    // Some systems turn Shift+wheel into a sideways wheel themselves.
    const int delta = sideways ? angle.x() : angle.y();
    bar->setValue(bar->value() - delta * bar->singleStep() * 3 / 120);
    event->accept();
    return true;
}
