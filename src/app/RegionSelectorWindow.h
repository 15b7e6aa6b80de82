// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QWidget>

class QScreen;
class RegionSelector;

// Covers one screen with its frozen picture, the outside of the selection
// dimmed, and passes the mouse and Esc to the selector.
class RegionSelectorWindow : public QWidget
{
    Q_OBJECT

public:
    RegionSelectorWindow(RegionSelector &selector, QScreen *screen, QImage frozen);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    RegionSelector &m_selector;
    QImage m_frozen;
};
