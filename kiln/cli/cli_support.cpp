#include "kiln/cli/cli_support.h"

#include <fstream>
#include <istream>
#include <iterator>
#include <ostream>
#include <sstream>

namespace KilnCli {

int UsageError(Streams& streams, std::string_view commandName, const std::string& message)
{
    streams.err << "kiln " << commandName << ": " << message << "\n";
    for (const Command& command : Commands()) {
        if (commandName == command.name)
            streams.err << "usage: kiln " << command.usage << "\n";
    }
    return kBadUsage;
}

int Failure(Streams& streams, std::string_view commandName, const std::string& message)
{
    streams.err << "kiln " << commandName << ": " << message << "\n";
    return kFailed;
}

std::string ReadAll(std::istream& in)
{
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::optional<std::string> ReadFileBytes(const std::string& path, uint64_t limit)
{
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file)
        return std::nullopt;
    const std::streamoff size = file.tellg();
    if (size < 0 || static_cast<uint64_t>(size) > limit)
        return std::nullopt;
    std::string bytes(static_cast<size_t>(size), '\0');
    file.seekg(0);
    if (!file.read(bytes.data(), size))
        return std::nullopt;
    return bytes;
}

std::optional<std::vector<uint8_t>> ReadStreamBytes(const std::string& path)
{
    const std::optional<std::string> bytes = ReadFileBytes(path, kMaxStreamBytes);
    if (!bytes)
        return std::nullopt;
    return std::vector<uint8_t>(bytes->begin(), bytes->end());
}

bool ReadFilePieces(const std::string& path, const std::function<void(const char* data, size_t size)>& consume)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    std::string buffer(1 << 20, '\0');
    while (file) {
        file.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        if (file.gcount() > 0)
            consume(buffer.data(), static_cast<size_t>(file.gcount()));
    }
    // Stopping anywhere but at the end of the file is a read error.
    return file.eof() && !file.bad();
}

bool WriteFileBytes(const std::string& path, std::string_view bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    return static_cast<bool>(file);
}

}  // namespace KilnCli

namespace KilnCli {

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    return WriteFileBytes(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}  // namespace KilnCli
