#include "app/AskCommand.h"
#include "app/CaptureRegionCommand.h"
#include "app/HistoryCommand.h"
#include "app/ModelsCommand.h"
#include "app/SetKeyCommand.h"
#include "app/TrayProgram.h"
#include "app/UsageCommand.h"

#include <cstring>
#include <vector>

namespace {

// Commands that run without the tray program; each builds its own application object.
struct Command
{
    const char *name;
    int (*run)(int &argc, char **argv);
};

const std::vector<Command> kCommands = {
    {"history", runHistoryCommand},
    {"ask", runAskCommand},
    {"set-key", runSetKeyCommand},
    {"models", runModelsCommand},
    {"--help", runHelpCommand},
    {"-h", runHelpCommand},
    {"--version", runVersionCommand},
    {"capture-region", runCaptureRegionCommand},
};

} // namespace

int main(int argc, char *argv[])
{
    if (argc > 1) {
        for (const Command &command : kCommands) {
            if (std::strcmp(argv[1], command.name) == 0)
                return command.run(argc, argv);
        }
    }
    return runTrayProgram(argc, argv);
}
