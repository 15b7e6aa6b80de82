// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// `tarnwick set-key gemini|openrouter`: stores the key read from standard input.
int runSetKeyCommand(int &argc, char **argv);
