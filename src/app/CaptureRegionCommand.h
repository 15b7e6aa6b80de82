// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// `tarnwick capture-region PATH`: lets the user drag a region over frozen
// screens and writes it to PATH as PNG (exit 0), or writes nothing and exits
// non-zero when cancelled or when the screens cannot be grabbed.
int runCaptureRegionCommand(int &argc, char **argv);
