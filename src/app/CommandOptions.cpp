// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandOptions.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

std::optional<int> parseCommandOptions(QCommandLineParser &parser, const char *usage)
{
    // QCommandLineParser::process would exit with 1 on a mistake.
    if (!parser.parse(QCoreApplication::arguments())) {
        std::fprintf(stderr, "tarnwick: %s\n%s", qPrintable(parser.errorText()), usage);
        return 2;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    return std::nullopt;
}
