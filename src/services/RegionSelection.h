// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QList>
#include <QPoint>
#include <QRect>

// The pure geometry of the region selector. Selections are in the desktop's
// logical coordinates (what QScreen::geometry() uses); grabs are in device
// pixels, whose ratio to the logical size may differ from screen to screen.
namespace RegionSelection {

struct ScreenGrab
{
    QRect geometry; // logical
    QImage image; // device pixels
};

// The rectangle a drag from press to current spans, kept inside bounds.
// A click without movement spans nothing.
QRect fromDrag(QPoint press, QPoint current, const QRect &bounds);

// Where the logical rectangle lies in the pixels of a grab of a screen with
// the given logical geometry, relative to the grab's top-left corner.
QRect toGrabPixels(const QRect &logical, const QRect &screenGeometry, QSize grabSize);

// The pixels under the selection, at the finest scale of the screens it
// touches; parts outside every screen are black. Null for an empty selection.
QImage compose(const QRect &selection, const QList<ScreenGrab> &grabs);

} // namespace RegionSelection
