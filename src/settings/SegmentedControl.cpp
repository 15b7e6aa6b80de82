// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SegmentedControl.h"

#include "platform/AssignIfChanged.h"
#include "ui/SettingsColors.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {

constexpr qreal kRadius = 6;
constexpr int kHeight = 24;

} // namespace

SegmentedControl::SegmentedControl(QStringList labels, QWidget *parent)
    : QWidget(parent)
    , m_labels(std::move(labels))
{
    setFocusPolicy(Qt::StrongFocus);
    setFixedHeight(kHeight);
}

void SegmentedControl::setCurrentIndex(int index)
{
    if (index < -1 || index >= m_labels.size())
        index = -1;
    if (!assignIfChanged(m_current, index))
        return;
    update();
}

QRect SegmentedControl::segmentRect(int index) const
{
    const int count = qMax(1, int(m_labels.size()));
    const int left = width() * index / count;
    const int right = width() * (index + 1) / count;
    return QRect(left, 0, right - left, height());
}

QSize SegmentedControl::sizeHint() const
{
    int widest = 0;
    for (const QString &label : m_labels)
        widest = qMax(widest, fontMetrics().horizontalAdvance(label));
    return {int(m_labels.size()) * (widest + 20), kHeight};
}

void SegmentedControl::pick(int index)
{
    setCurrentIndex(index);
    Q_EMIT activated(index);
}

void SegmentedControl::mousePressEvent(QMouseEvent *event)
{
    for (int i = 0; i < m_labels.size(); ++i) {
        if (segmentRect(i).contains(event->position().toPoint())) {
            pick(i);
            return;
        }
    }
}

void SegmentedControl::keyPressEvent(QKeyEvent *event)
{
    const int step = event->key() == Qt::Key_Left ? -1 : event->key() == Qt::Key_Right ? 1 : 0;
    if (step == 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    const int next = qBound(0, (m_current < 0 ? 0 : m_current + step), int(m_labels.size()) - 1);
    if (next != m_current)
        pick(next);
}

void SegmentedControl::paintEvent(QPaintEvent *)
{
    using namespace SettingsColors;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(separator(this), 1));
    painter.setBrush(withOpacity(label(this), isDark(this) ? 0.08 : 0.05));
    painter.drawRoundedRect(frame, kRadius, kRadius);

    for (int i = 0; i < m_labels.size(); ++i) {
        const QRect segment = segmentRect(i);
        if (i == m_current) {
            const QRectF knob = QRectF(segment).adjusted(2, 2, -2, -2);
            painter.setPen(QPen(separator(this), 1));
            painter.setBrush(isDark(this) ? QColor(99, 99, 102) : QColor(255, 255, 255));
            painter.drawRoundedRect(knob, kRadius - 1.5, kRadius - 1.5);
        } else if (i > 0 && i - 1 != m_current) {
            painter.setPen(QPen(separator(this), 1));
            painter.drawLine(QPointF(segment.left() + 0.5, 5), QPointF(segment.left() + 0.5, height() - 5));
        }
        QFont font = this->font();
        font.setWeight(i == m_current ? QFont::Medium : QFont::Normal);
        painter.setFont(font);
        painter.setPen(label(this));
        painter.drawText(segment, Qt::AlignCenter, m_labels.at(i));
    }
    if (hasFocus()) {
        painter.setPen(QPen(withOpacity(systemBlue(this), 0.6), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), kRadius, kRadius);
    }
}
