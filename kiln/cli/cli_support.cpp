#include "kiln/cli/cli_support.h"

#include <fstream>
#include <istream>
#include <iterator>
#include <new>
#include <ostream>
#include <sstream>
#include <utility>

#include "kiln/base/number_scan.h"

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

OptionMatch MatchOption(const Arguments& arguments, size_t& i, std::string_view name, std::string& value)
{
    const std::string_view argument = arguments[i];
    if (argument.size() > name.size() && argument.compare(0, name.size(), name) == 0 && argument[name.size()] == '=') {
        value = std::string(argument.substr(name.size() + 1));
        return OptionMatch::kTaken;
    }
    if (argument != name)
        return OptionMatch::kOther;
    if (i + 1 >= arguments.size())
        return OptionMatch::kNoValue;
    value = arguments[++i];
    return OptionMatch::kTaken;
}

std::optional<uint64_t> ReadDecimal(std::string_view text)
{
    size_t pos = 0;
    const auto value = text.size() > 20 ? std::nullopt : Kiln::NumberScan::ScanDigits(text, pos);
    return pos == text.size() ? value : std::nullopt;
}

std::string ReadAll(std::istream& in)
{
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string BaseName(const std::string& path)
{
    const size_t separator = path.find_last_of("/\\");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

const char* Describe(ReadError error)
{
    switch (error) {
    case ReadError::kNone:
        return "read";
    case ReadError::kCannotRead:
        return "cannot read";
    case ReadError::kTooLarge:
        return "file too large";
    case ReadError::kOutOfMemory:
        return "out of memory";
    }
    return "cannot read";
}

namespace {

// Reads straight into the container the caller keeps, so a large file is held once.
template <class Bytes>
std::optional<Bytes> ReadWhole(const std::string& path, uint64_t limit, ReadError* error)
{
    auto fail = [error](ReadError why) {
        if (error)
            *error = why;
        return std::optional<Bytes>();
    };
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file)
        return fail(ReadError::kCannotRead);
    const std::streamoff size = file.tellg();
    if (size < 0)
        return fail(ReadError::kCannotRead);
    Bytes bytes;
    // A 32-bit process cannot address a file of 2 GiB or more at once, whatever the limit.
    if (static_cast<uint64_t>(size) > limit || static_cast<uint64_t>(size) > bytes.max_size())
        return fail(ReadError::kTooLarge);
    try {
        bytes.resize(static_cast<size_t>(size));
    } catch (const std::bad_alloc&) {
        return fail(ReadError::kOutOfMemory);
    }
    file.seekg(0);
    if (!file.read(reinterpret_cast<char*>(bytes.data()), size))
        return fail(ReadError::kCannotRead);
    if (error)
        *error = ReadError::kNone;
    return std::optional<Bytes>(std::move(bytes));
}

}  // namespace

std::optional<std::string> ReadFileBytes(const std::string& path, uint64_t limit, ReadError* error)
{
    return ReadWhole<std::string>(path, limit, error);
}

std::optional<std::vector<uint8_t>> ReadStreamBytes(const std::string& path, ReadError* error)
{
    return ReadWhole<std::vector<uint8_t>>(path, kMaxStreamBytes, error);
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
