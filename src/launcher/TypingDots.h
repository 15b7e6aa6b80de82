// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTimer>
#include <QVariantAnimation>
#include <QWidget>

// Three dots; the highlighted one moves one step right every 0.35 s.
class TypingDots : public QWidget
{
    Q_OBJECT

public:
    explicit TypingDots(QWidget *parent = nullptr);

    int phase() const { return m_phase; }
    QSize sizeHint() const override;

public Q_SLOTS:
    void tick();

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    int m_phase = 0;
    int m_previousPhase = 0;
    QTimer m_timer;
    QVariantAnimation m_transition;
};
