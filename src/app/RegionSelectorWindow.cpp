// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/RegionSelectorWindow.h"

#include "app/RegionSelector.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

namespace {
const QColor kDim(0, 0, 0, 120);
const QColor kEdge(80, 160, 255);
} // namespace

RegionSelectorWindow::RegionSelectorWindow(RegionSelector &selector, QScreen *screen, QImage frozen)
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint | Qt::Tool)
    , m_selector(selector)
    , m_frozen(std::move(frozen))
{
    setWindowTitle(QStringLiteral("Tarnwick region selector"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::CrossCursor);
    setMouseTracking(false);
    m_frozen.setDevicePixelRatio(qreal(m_frozen.width()) / screen->geometry().width());
    setScreen(screen);
    setGeometry(screen->geometry());
}

void RegionSelectorWindow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), m_frozen);

    const QRect selection = m_selector.selection().translated(-geometry().topLeft());
    QRegion outside(rect());
    outside -= selection;
    painter.setClipRegion(outside);
    painter.fillRect(rect(), kDim);
    painter.setClipping(false);
    if (selection.isEmpty() || !selection.intersects(rect()))
        return;

    painter.setPen(QPen(kEdge, 1));
    painter.drawRect(selection.adjusted(0, 0, -1, -1));
    const qreal ratio = m_frozen.devicePixelRatio();
    const QString size =
        QStringLiteral("%1 × %2").arg(qRound(selection.width() * ratio)).arg(qRound(selection.height() * ratio));
    const QRect label = painter.fontMetrics().boundingRect(size).adjusted(-4, -2, 4, 2);
    QRect placed = label.translated(selection.topLeft() - label.topLeft() - QPoint(0, label.height() + 2));
    if (placed.top() < 0)
        placed.moveTop(selection.top() + 2);
    painter.fillRect(placed, kDim);
    painter.setPen(Qt::white);
    painter.drawText(placed, Qt::AlignCenter, size);
}

void RegionSelectorWindow::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton)
        m_selector.cancel();
    else if (event->button() == Qt::LeftButton)
        m_selector.press(event->globalPosition().toPoint());
}

void RegionSelectorWindow::mouseMoveEvent(QMouseEvent *event)
{
    m_selector.drag(event->globalPosition().toPoint());
}

void RegionSelectorWindow::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_selector.release(event->globalPosition().toPoint());
}

void RegionSelectorWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape)
        m_selector.cancel();
    else
        QWidget::keyPressEvent(event);
}
