// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/UsageCommand.h"

#include "app/StandardError.h"

#include <cstdio>

namespace {

constexpr const char *kUsage =
    "Usage: tarnwick [COMMAND]\n"
    "\n"
    "Without a command, starts Tarnwick in the tray, or opens the launcher of the one running.\n"
    "\n"
    "  --toggle, --open        show or hide the launcher / show it\n"
    "  --screenshot            capture a screen region into the launcher\n"
    "  --settings              open the settings window\n"
    "  --dictate               open the launcher and dictate, or stop dictating\n"
    "  ask [--provider P] [--model ID] [--image FILE] [--file FILE]... [--preset NAME] [--reasoning]\n"
    "      [--usage] [PROMPT...]\n"
    "                          send one prompt (or standard input) and print the answer;\n"
    "                          --file adds a text or PDF file (up to 5);\n"
    "                          the reasoning and the tokens and cost go to standard error\n"
    "  preset list | add NAME --instructions TEXT [--template TEXT] [--provider P] [--model ID]\n"
    "         | remove NAME    list, add (or replace) and remove presets\n"
    "  set-key gemini|openrouter|local|transcription\n"
    "                          store an API key read from standard input\n"
    "  transcribe [--engine gemini|openrouter|local|offline] [--language CODE] FILE.wav\n"
    "                          print what is said in a recording\n"
    "  models [--provider openrouter|local]\n"
    "                          print the OpenRouter (or local server's) models and cache them\n"
    "  history [show ID]       list saved conversations, or print one as Markdown\n"
    "  history search WORDS...\n"
    "                          the conversations holding every word (any case or accents)\n"
    "  history export ID [--format markdown|json]\n"
    "                          write one conversation to standard output\n"
    "  capture-region PATH     select a screen region and save it as PNG\n"
    "  --help, -h, --version   print this text / the version\n";

} // namespace

int runHelpCommand(int &, char **)
{
    std::fputs(kUsage, stdout);
    return 0;
}

int runVersionCommand(int &, char **)
{
    std::fputs("tarnwick " TARNWICK_VERSION "\n", stdout);
    return 0;
}

int runUnknownCommand(const char *word)
{
    return StandardError::fail(2,
                               QStringLiteral("tarnwick: unknown command \"%1\"\n\n%2")
                                   .arg(QString::fromLocal8Bit(word), QLatin1String(kUsage).trimmed()));
}
