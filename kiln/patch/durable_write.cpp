#include "kiln/patch/durable_write.h"

#include <cstdio>
#include <memory>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace Kiln::Patch {
namespace {

struct FileClose {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileClose>;

UniqueFile OpenForWriting(const std::filesystem::path& path)
{
#ifdef _WIN32
    return UniqueFile(_wfopen(path.c_str(), L"wb"));
#else
    return UniqueFile(std::fopen(path.c_str(), "wb"));
#endif
}

bool SyncToDisk(std::FILE* file)
{
#ifdef _WIN32
    return _commit(_fileno(file)) == 0;  // FlushFileBuffers
#else
    return fsync(fileno(file)) == 0;
#endif
}

}  // namespace

bool WriteDurably(const std::filesystem::path& path, const FileSystem::Producer& produce)
{
    UniqueFile file = OpenForWriting(path);
    if (!file)
        return false;
    auto sink = [&file](const uint8_t* data, size_t size) {
        return size == 0 || std::fwrite(data, 1, size, file.get()) == size;
    };
    if (!produce(sink))
        return false;
    if (std::fflush(file.get()) != 0 || !SyncToDisk(file.get()))
        return false;
    return std::fclose(file.release()) == 0;
}

}  // namespace Kiln::Patch
