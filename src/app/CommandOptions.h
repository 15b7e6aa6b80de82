// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

class QCommandLineParser;

// Readies the parser for one command: what it does, --help, and the command's
// own word as the first positional argument.
void describeCommand(QCommandLineParser &parser, const QString &command, const QString &description);

// Reads a command's options from the application's arguments. A mistake (an
// unknown option, a missing value) is told on standard error with the
// command's usage line and gives 2; --help prints the help and gives 0;
// nullopt lets the command go on.
std::optional<int> parseCommandOptions(QCommandLineParser &parser, const char *usage);
