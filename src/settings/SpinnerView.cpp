// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SpinnerView.h"

#include "ui/SettingsColors.h"

#include <QPainter>

SpinnerView::SpinnerView(QWidget *parent)
    : QWidget(parent)
{
    setFixedSize(16, 16);
    m_turn.setStartValue(0.0);
    m_turn.setEndValue(360.0);
    m_turn.setDuration(900);
    m_turn.setLoopCount(-1);
    connect(&m_turn, &QVariantAnimation::valueChanged, this, qOverload<>(&QWidget::update));
}

void SpinnerView::showEvent(QShowEvent *event)
{
    m_turn.start();
    QWidget::showEvent(event);
}

void SpinnerView::hideEvent(QHideEvent *event)
{
    m_turn.stop();
    QWidget::hideEvent(event);
}

void SpinnerView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF ring = QRectF(rect()).adjusted(2, 2, -2, -2);
    painter.setPen(QPen(SettingsColors::separator(this), 2));
    painter.drawEllipse(ring);
    QPen arc(SettingsColors::secondaryLabel(this), 2);
    arc.setCapStyle(Qt::RoundCap);
    painter.setPen(arc);
    // Qt counts angles counter-clockwise in sixteenths of a degree.
    painter.drawArc(ring, int(-m_turn.currentValue().toReal() * 16), 100 * 16);
}
