#pragma once

// `tarnwick --help` and `tarnwick --version`.
int runHelpCommand(int &argc, char **argv);
int runVersionCommand(int &argc, char **argv);
