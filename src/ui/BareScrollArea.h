// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QAbstractScrollArea;

// A text view drawn on its host's background: no frame, no background fill
// and no scroll bars of its own (the host sizes it to its text, or scrolls
// it with a bar of its own).
void makeBare(QAbstractScrollArea *view);
