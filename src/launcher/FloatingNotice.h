// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>

// A short message floating just above the control the user used, over the
// panel rather than in its layout; it goes after a while or when clicked.
class FloatingNotice : public QLabel
{
    Q_OBJECT

public:
    // Shows it in container (whose colours it takes) above anchor, one of its
    // descendants; replaces any notice already showing there.
    static FloatingNotice *showAbove(QWidget *container, QWidget *anchor, const QString &text);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    FloatingNotice(const QString &text, QWidget *parent);
};
