#include "kiln/patch/byte_source.h"

#include <cstring>

namespace Kiln::Patch {
namespace {

// The C library's 64-bit seeks: std::streamoff and long are 32 bits on some Windows builds.
int Seek(std::FILE* file, uint64_t offset, int origin)
{
#ifdef _WIN32
    return _fseeki64(file, static_cast<long long>(offset), origin);
#else
    return fseeko(file, static_cast<off_t>(offset), origin);
#endif
}

bool Tell(std::FILE* file, uint64_t& offset)
{
#ifdef _WIN32
    const long long at = _ftelli64(file);
#else
    const off_t at = ftello(file);
#endif
    if (at < 0)
        return false;
    offset = static_cast<uint64_t>(at);
    return true;
}

}  // namespace

bool MemorySource::ReadAt(uint64_t offset, uint8_t* out, size_t size)
{
    if (offset > size_ || size > size_ - offset)
        return false;
    if (size > 0)
        std::memcpy(out, data_ + offset, size);
    return true;
}

std::unique_ptr<ReadableFile> ReadableFile::Open(const std::filesystem::path& path)
{
#ifdef _WIN32
    std::FILE* file = _wfopen(path.c_str(), L"rb");
#else
    std::FILE* file = std::fopen(path.c_str(), "rb");
#endif
    if (!file)
        return nullptr;
    uint64_t size = 0;
    if (Seek(file, 0, SEEK_END) != 0 || !Tell(file, size) || Seek(file, 0, SEEK_SET) != 0) {
        std::fclose(file);
        return nullptr;
    }
    return std::unique_ptr<ReadableFile>(new ReadableFile(file, size));
}

ReadableFile::~ReadableFile()
{
    std::fclose(file_);
}

bool ReadableFile::ReadAt(uint64_t offset, uint8_t* out, size_t size)
{
    if (offset > size_ || size > size_ - offset)
        return false;
    if (offset != position_ && Seek(file_, offset, SEEK_SET) != 0) {
        position_ = UINT64_MAX;  // unknown: seek before the next read
        return false;
    }
    const size_t got = size == 0 ? 0 : std::fread(out, 1, size, file_);
    position_ = got == size ? offset + size : UINT64_MAX;
    return got == size;
}

bool SourceReader::Read(uint8_t* out, size_t size)
{
    if (Remaining() < size)
        return false;
    if (source_) {
        if (!source_->ReadAt(start_ + position_, out, size))
            return false;
    } else if (size > 0) {
        std::memcpy(out, data_ + position_, size);
    }
    position_ += size;
    return true;
}

bool SourceReader::Skip(uint64_t size)
{
    if (Remaining() < size)
        return false;
    position_ += size;
    return true;
}

bool SourceReader::Number(uint64_t& value, int bytes)
{
    uint8_t raw[8];
    if (bytes < 1 || bytes > 8 || !Read(raw, static_cast<size_t>(bytes)))
        return false;
    value = 0;
    for (int i = 0; i < bytes; ++i)
        value |= uint64_t{raw[i]} << (8 * i);
    return true;
}

}  // namespace Kiln::Patch
