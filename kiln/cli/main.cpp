#include <cstdio>
#include <iostream>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "kiln/cli/command.h"

int main(int argc, char** argv)
{
#ifdef _WIN32
    // Sealed and compressed data pass through the standard streams byte for byte.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    std::ios::sync_with_stdio(false);
    KilnCli::Streams streams{std::cin, std::cout, std::cerr};
    const int code = KilnCli::RunTool(KilnCli::Arguments(argv + 1, argv + argc), streams);
    std::cout.flush();
    return code;
}
