#include <exception>
#include <istream>
#include <ostream>

#include "kiln/cli/command.h"

namespace KilnCli {
namespace {

void PrintUsage(std::ostream& out)
{
    out << "usage: kiln COMMAND [ARGUMENTS...]\n\ncommands:\n";
    for (const Command& command : Commands())
        out << "  kiln " << command.usage << "\n";
}

}  // namespace

int RunTool(const Arguments& arguments, Streams& streams)
{
    if (arguments.empty()) {
        PrintUsage(streams.err);
        return kBadUsage;
    }
    if (arguments[0] == "--help" || arguments[0] == "-h" || arguments[0] == "help") {
        PrintUsage(streams.out);
        return kOk;
    }
    for (const Command& command : Commands()) {
        if (arguments[0] != command.name)
            continue;
        if (arguments.size() == 2 && (arguments[1] == "--help" || arguments[1] == "-h")) {
            streams.out << "usage: kiln " << command.usage << "\n";
            return kOk;
        }
        try {
            return command.run(Arguments(arguments.begin() + 1, arguments.end()), streams);
        } catch (const std::exception& error) {
            // out of memory for a large file, mostly
            streams.err << "kiln " << command.name << ": " << error.what() << "\n";
            return kFailed;
        }
    }
    streams.err << "kiln: unknown command '" << arguments[0] << "'\n";
    PrintUsage(streams.err);
    return kBadUsage;
}

}  // namespace KilnCli
