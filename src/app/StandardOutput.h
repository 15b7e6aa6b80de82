// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>

// Standard output that may fail: a full disk under `> answer.md` or a closed
// device must not pass for success.
namespace StandardOutput {

// Writes the bytes and flushes them; false when they did not all get out.
bool write(QByteArrayView bytes);
// Flushes what is buffered. A failed write, now or earlier, is told on
// standard error; the command then ends with 1.
bool finish();

} // namespace StandardOutput
