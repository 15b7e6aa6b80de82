// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AskCommand.h"
#include "app/CaptureRegionCommand.h"
#include "app/HistoryCommand.h"
#include "app/ModelsCommand.h"
#include "app/PresetCommand.h"
#include "app/SetKeyCommand.h"
#include "app/TranscribeCommand.h"
#include "app/TrayProgram.h"
#include "app/UsageCommand.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include <sys/prctl.h>
#include <sys/resource.h>

namespace {

// Commands that run without the tray program; each builds its own application object.
struct Command
{
    const char *name;
    int (*run)(int &argc, char **argv);
};

const std::vector<Command> kCommands = {
    {"history", runHistoryCommand},   {"ask", runAskCommand},
    {"set-key", runSetKeyCommand},    {"models", runModelsCommand},
    {"preset", runPresetCommand},     {"transcribe", runTranscribeCommand},
    {"--help", runHelpCommand},       {"-h", runHelpCommand},
    {"--version", runVersionCommand}, {"capture-region", runCaptureRegionCommand},
};

// Qt's own options that take the next argument as their value.
constexpr const char *kQtOptionsWithValue[] = {
    "-platform",    "-platformpluginpath", "-platformtheme", "-plugin",   "-qmljsdebugger", "-qwindowgeometry",
    "-qwindowicon", "-qwindowtitle",       "-display",       "-geometry", "-title",         "-name",
    "-style",       "-stylesheet",         "-session",
};

bool takesValue(const char *option)
{
    for (const char *candidate : kQtOptionsWithValue) {
        if (std::strcmp(option, candidate) == 0)
            return true;
    }
    return false;
}

// The first word of a tray start that is neither an option nor an option's
// value: a mistyped command, which must not start the program.
const char *strayWord(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] != '-')
            return argv[i];
        if (takesValue(argv[i]))
            ++i;
    }
    return nullptr;
}

// Every command may hold an API key in memory: no core dump may carry it, and
// other processes of the user may not read this one's memory. Debugging builds
// keep both with TARNWICK_ALLOW_CORE_DUMPS=1.
void protectMemory()
{
    const char *allow = std::getenv("TARNWICK_ALLOW_CORE_DUMPS");
    if (allow && std::strcmp(allow, "1") == 0)
        return;
    const rlimit none{0, 0};
    setrlimit(RLIMIT_CORE, &none);
    prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
}

} // namespace

int main(int argc, char *argv[])
{
    protectMemory();
    if (argc > 1) {
        for (const Command &command : kCommands) {
            if (std::strcmp(argv[1], command.name) == 0)
                return command.run(argc, argv);
        }
    }
    if (const char *word = strayWord(argc, argv))
        return runUnknownCommand(word);
    return runTrayProgram(argc, argv);
}
