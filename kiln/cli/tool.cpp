#include <istream>
#include <new>
#include <ostream>
#include <stdexcept>

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
        // Failures are told in words, never in a library's exception text.
        try {
            return command.run(Arguments(arguments.begin() + 1, arguments.end()), streams);
        } catch (const std::bad_alloc&) {
            streams.err << "kiln " << command.name << ": out of memory\n";
        } catch (const std::length_error&) {
            streams.err << "kiln " << command.name << ": data too large\n";
        } catch (...) {
            streams.err << "kiln " << command.name << ": failed unexpectedly\n";
        }
        return kFailed;
    }
    streams.err << "kiln: unknown command '" << arguments[0] << "'\n";
    PrintUsage(streams.err);
    return kBadUsage;
}

}  // namespace KilnCli
