#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// The maker's command-line tool `kiln`: each command is a plain function over its arguments
// and streams, so tests run it without a process.
namespace KilnCli {

using Arguments = std::vector<std::string>;

struct Streams {
    std::istream& in;   // binary
    std::ostream& out;  // binary
    std::ostream& err;
};

// Exit codes.
constexpr int kOk = 0;
constexpr int kFailed = 1;      // the operation failed (unreadable file, bad data, ...)
constexpr int kBadUsage = 2;    // wrong arguments

struct Command {
    const char* name;
    const char* usage;  // shown by --help, after "kiln "
    int (*run)(const Arguments& arguments, Streams& streams);
};

// Runs `kiln <arguments...>`: picks the command by its first argument.
int RunTool(const Arguments& arguments, Streams& streams);

// Every command of the tool, in the order --help lists them.
const std::vector<Command>& Commands();

}  // namespace KilnCli
