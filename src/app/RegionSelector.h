// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "services/RegionSelection.h"

#include <QImage>
#include <QObject>
#include <QRect>

#include <memory>
#include <optional>
#include <vector>

class RegionSelectorWindow;

// The interactive region selector: freezes every screen, covers each with a
// window showing its frozen picture, and turns one drag across them into an
// image. Esc or a right click cancels.
class RegionSelector : public QObject
{
    Q_OBJECT

public:
    explicit RegionSelector(QObject *parent = nullptr);
    ~RegionSelector() override;

    // Grabs the screens, then shows the selector on each. False when a
    // screen cannot be grabbed (for example on Wayland).
    bool begin();

    QRect selection() const { return m_selection; }

    void press(QPoint global);
    void drag(QPoint global);
    void release(QPoint global);
    void cancel();

Q_SIGNALS:
    void selected(const QImage &image);
    void cancelled();

private:
    void grabKeyboard(int attemptsLeft);
    void update();

    QList<RegionSelection::ScreenGrab> m_grabs;
    std::vector<std::unique_ptr<RegionSelectorWindow>> m_windows;
    QRect m_bounds;
    std::optional<QPoint> m_press;
    QRect m_selection;
    bool m_done = false;
};
