#include "kiln/patch/mapped_file.h"

// Under AddressSanitizer the file is read into checked memory instead.
#if defined(__unix__) && !defined(__SANITIZE_ADDRESS__)
#define KILN_MAPPED_FILES 1
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace Kiln::Patch {

#ifdef KILN_MAPPED_FILES

std::unique_ptr<MappedFile> MappedFile::Open(const std::filesystem::path& path, size_t size)
{
    const int file = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0)
        return nullptr;
    struct stat status {};
    void* mapped = MAP_FAILED;
    if (size > 0 && ::fstat(file, &status) == 0 && S_ISREG(status.st_mode) &&
        static_cast<unsigned long long>(status.st_size) == size)
        mapped = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, file, 0);
    ::close(file);  // the mapping keeps the file
    if (mapped == MAP_FAILED)
        return nullptr;
    ::madvise(mapped, size, MADV_SEQUENTIAL);
    return std::unique_ptr<MappedFile>(new MappedFile(static_cast<const uint8_t*>(mapped), size));
}

MappedFile::~MappedFile()
{
    ::munmap(const_cast<uint8_t*>(data_), size_);
}

#else

std::unique_ptr<MappedFile> MappedFile::Open(const std::filesystem::path&, size_t)
{
    return nullptr;
}

MappedFile::~MappedFile() = default;

#endif

}  // namespace Kiln::Patch
