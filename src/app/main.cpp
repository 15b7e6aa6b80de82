#include "app/HistoryCommand.h"
#include "app/TrayProgram.h"

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
