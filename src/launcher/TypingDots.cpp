// SPDX-License-Identifier: GPL-3.0-or-later
#include "launcher/TypingDots.h"

#include "ui/LauncherColors.h"

#include <QPainter>

namespace {
constexpr qreal kDot = 6;
constexpr qreal kSpacing = 5;
} // namespace

TypingDots::TypingDots(QWidget *parent)
    : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_timer.setInterval(350);
    connect(&m_timer, &QTimer::timeout, this, &TypingDots::tick);
    m_transition.setDuration(300);
    m_transition.setEasingCurve(QEasingCurve::InOutQuad);
    m_transition.setStartValue(0.0);
    m_transition.setEndValue(1.0);
    connect(&m_transition, &QVariantAnimation::valueChanged, this, qOverload<>(&QWidget::update));
}

QSize TypingDots::sizeHint() const
{
    // Room for the highlighted dot's 1.2 scale.
    return QSize(qCeil(3 * kDot + 2 * kSpacing + 2), qCeil(kDot * 1.2 + 1));
}

void TypingDots::tick()
{
    m_previousPhase = m_phase;
    m_phase = (m_phase + 1) % 3;
    m_transition.stop();
    m_transition.start();
    update();
}

void TypingDots::paintEvent(QPaintEvent *)
{
    const QColor secondary = LauncherColors::of(this).secondary;
    const qreal progress =
        m_transition.state() == QAbstractAnimation::Running ? m_transition.currentValue().toReal() : 1.0;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const qreal centreY = height() / 2.0;
    for (int index = 0; index < 3; ++index) {
        const qreal was = index == m_previousPhase ? 1.0 : 0.0;
        const qreal now = index == m_phase ? 1.0 : 0.0;
        const qreal emphasis = was + (now - was) * progress;
        const qreal diameter = kDot * (1.0 + 0.2 * emphasis);
        const qreal centreX = 1 + kDot / 2 + index * (kDot + kSpacing);
        painter.setBrush(withOpacity(secondary, 0.25 + 0.65 * emphasis));
        painter.drawEllipse(QPointF(centreX, centreY), diameter / 2, diameter / 2);
    }
}

void TypingDots::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_timer.start();
}

void TypingDots::hideEvent(QHideEvent *event)
{
    m_timer.stop();
    QWidget::hideEvent(event);
}
