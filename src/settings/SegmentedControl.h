// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>
#include <QWidget>

// A row of mutually exclusive segments, one of which may be selected.
class SegmentedControl : public QWidget
{
    Q_OBJECT

public:
    explicit SegmentedControl(QStringList labels, QWidget *parent = nullptr);

    QStringList labels() const { return m_labels; }
    int currentIndex() const { return m_current; }
    // -1 selects nothing (a stored value that is none of the labels).
    void setCurrentIndex(int index);
    // The segment's rectangle, for whoever needs to point at it.
    QRect segmentRect(int index) const;

    QSize sizeHint() const override;

Q_SIGNALS:
    // The user picked a segment (also the one already selected).
    void activated(int index);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void pick(int index);

    QStringList m_labels;
    int m_current = -1;
};
