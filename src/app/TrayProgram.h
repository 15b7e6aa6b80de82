// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Runs the resident tray program (or hands the request to the one already running).
int runTrayProgram(int &argc, char **argv);
