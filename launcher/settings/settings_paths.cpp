#include "launcher/settings/settings_paths.h"

#include "kiln/base/text.h"
#include "kiln/core/kiln_help.h"

namespace Launcher {

std::string SystemIniPath()
{
    return Kiln::FormatTemplate("%1%\\%2%", Kiln::CKilnHelp::GetInstance()->GetProgramDirectory(),
                                "System.ini");
}

std::string GameIniPath()
{
    return Kiln::CKilnHelp::GetInstance()->GetProgramDirectory() + "\\Game.ini";
}

}  // namespace Launcher
