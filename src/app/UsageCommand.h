// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// `tarnwick --help` and `tarnwick --version`.
int runHelpCommand(int &argc, char **argv);
int runVersionCommand(int &argc, char **argv);
// A command word the program does not know: the usage on standard error, exit 2.
int runUnknownCommand(const char *word);
