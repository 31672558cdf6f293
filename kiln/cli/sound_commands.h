#pragma once

#include "kiln/cli/command.h"

namespace KilnCli {

// kiln sound info FILE (WAV, or Ogg Vorbis by its .ogg extension)
int RunSound(const Arguments& arguments, Streams& streams);

}  // namespace KilnCli
