#pragma once

#include "kiln/cli/command.h"

namespace KilnCli {

// kiln image info FILE | decode FILE --out RAW | dds FILE OUT.dds
int RunImage(const Arguments& arguments, Streams& streams);

}  // namespace KilnCli
