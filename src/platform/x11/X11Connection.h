// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

struct xcb_connection_t;

// Qt's own X connection, or null: without a GUI application, on Wayland and
// offscreen. Every xcb call starts from here, so none is made elsewhere.
xcb_connection_t *x11Connection();

// The root window of the first screen; 0 without an X connection.
quint32 x11RootWindow();
