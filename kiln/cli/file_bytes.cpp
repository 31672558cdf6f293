#include "kiln/cli/file_bytes.h"

#include <fstream>
#include <iterator>
#include <limits>

namespace KilnCli {

bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& bytes)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !file.bad() && bytes.size() <= std::numeric_limits<uint32_t>::max();
}

bool WriteFileBytes(const std::string& path, const void* data, size_t size)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    file.close();
    return static_cast<bool>(file);
}

}  // namespace KilnCli
