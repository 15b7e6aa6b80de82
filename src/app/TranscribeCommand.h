// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// `tarnwick transcribe [--engine gemini|openrouter|local|offline] [--language CODE] FILE.wav`:
// the transcript on stdout; "No speech heard" or the engine's failure on stderr.
int runTranscribeCommand(int &argc, char **argv);
