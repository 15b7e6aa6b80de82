// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// `tarnwick preset list`, `tarnwick preset add NAME --instructions TEXT [--template TEXT]
// [--provider P] [--model ID]` (replaces one of that name), `tarnwick preset remove NAME`.
int runPresetCommand(int &argc, char **argv);
