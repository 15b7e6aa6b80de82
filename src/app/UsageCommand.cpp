#include "app/UsageCommand.h"

#include <cstdio>

int runHelpCommand(int &, char **)
{
    std::fputs("Usage: tarnwick [COMMAND]\n"
               "\n"
               "Without a command, starts Tarnwick in the tray, or opens the launcher of the one running.\n"
               "\n"
               "  --toggle, --open        show or hide the launcher / show it\n"
               "  --screenshot            capture a screen region into the launcher\n"
               "  --settings              open the settings window\n"
               "  ask [--provider P] [--model ID] [--image FILE] [PROMPT...]\n"
               "                          send one prompt (or standard input) and print the answer\n"
               "  set-key gemini|openrouter\n"
               "                          store an API key read from standard input\n"
               "  models                  print the OpenRouter models and cache them\n"
               "  history [show ID]       list saved conversations, or print one as Markdown\n"
               "  capture-region PATH     select a screen region and save it as PNG\n"
               "  --help, --version\n",
               stdout);
    return 0;
}

int runVersionCommand(int &, char **)
{
    std::fputs("tarnwick " TARNWICK_VERSION "\n", stdout);
    return 0;
}
