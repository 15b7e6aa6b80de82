// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWindow>

// What Qt does not offer for top-level windows on X11. The calls do nothing
// on other platforms.
namespace X11Window {

// Before a show: on every virtual desktop, no taskbar or pager entry. The
// window manager drops these on every hide, so they are set before each show.
void prepareFloatingPanel(WId window);

// Asks the window manager for the keyboard focus as a pager would (source 2):
// window managers with focus-stealing prevention refuse the plain request Qt
// makes for a program the user did not just click.
void activate(WId window);

// Whether translucency shows: on X11 only while a compositing manager runs.
bool compositingManagerRunning();

} // namespace X11Window
