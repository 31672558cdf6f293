#include "kiln/patch/file_bytes.h"

#include <fstream>
#include <new>

namespace Kiln::Patch {

std::optional<Bytes> ReadWholeFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        return std::nullopt;
    const std::streamoff size = in.tellg();
    if (size < 0 || static_cast<unsigned long long>(size) > SIZE_MAX / 2)
        return std::nullopt;
    Bytes bytes;
    try {
        bytes.resize(static_cast<size_t>(size));
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    in.seekg(0);
    if (size > 0 && !in.read(reinterpret_cast<char*>(bytes.data()), size))
        return std::nullopt;
    return bytes;
}

}  // namespace Kiln::Patch
