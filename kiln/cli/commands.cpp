#include "kiln/cli/command.h"

namespace KilnCli {

const std::vector<Command>& Commands()
{
    static const std::vector<Command> commands = {
    };
    return commands;
}

}  // namespace KilnCli
