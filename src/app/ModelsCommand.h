// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// `tarnwick models`: prints the OpenRouter catalogue and caches it for the model switcher.
int runModelsCommand(int &argc, char **argv);
