// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandOptions.h"

#include "app/StandardError.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

void describeCommand(QCommandLineParser &parser, const QString &command, const QString &description)
{
    parser.setApplicationDescription(description);
    parser.addHelpOption();
    parser.addPositionalArgument(command, QStringLiteral("The command."));
}

std::optional<int> parseCommandOptions(QCommandLineParser &parser, const char *usage)
{
    // QCommandLineParser::process would exit with 1 on a mistake.
    if (!parser.parse(QCoreApplication::arguments()))
        return StandardError::fail(
            2, QStringLiteral("tarnwick: %1\n%2").arg(parser.errorText(), QLatin1String(usage).trimmed()));
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    return std::nullopt;
}
