// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// `tarnwick ask [--provider P] [--model ID] [--image FILE] [--file FILE]... [--reasoning] [--usage] [PROMPT...]`: one
// prompt through the launcher's chat state, without a window; the answer goes to stdout.
int runAskCommand(int &argc, char **argv);
