#include "kiln/cli/command.h"
#include "kiln/cli/image_commands.h"
#include "kiln/cli/sound_commands.h"

namespace KilnCli {

const std::vector<Command>& Commands()
{
    static const std::vector<Command> commands = {
        {"image", "image info FILE | image decode FILE --out RAW | image dds FILE OUT.dds", RunImage},
        {"sound", "sound info FILE", RunSound},
    };
    return commands;
}

}  // namespace KilnCli
