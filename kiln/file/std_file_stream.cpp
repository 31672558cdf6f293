#include "kiln/file/std_file_stream.h"

#include <cstdint>
#include <cstring>
#include <utility>

namespace Kiln {

bool CStdFileStream::OpenMemory(const void* block, uint32_t size)
{
    if (open_ || !block || size == 0)
        return false;
    block_ = static_cast<const uint8_t*>(block);
    size_ = size;
    position_ = 0;
    memory_ = true;
    open_ = true;
    return true;
}

bool CStdFileStream::OpenFile(const char* name)
{
    if (open_)
        return false;
    UniqueFileHandle file(::CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    // Positions are 32-bit: a file of 4 GiB or more would be read as a truncated one.
    LARGE_INTEGER size = {};
    if (!file || !::GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0 || size.QuadPart > UINT32_MAX)
        return false;
    size_ = static_cast<uint32_t>(size.QuadPart);
    file_ = std::move(file);
    position_ = 0;
    memory_ = false;
    open_ = true;
    return true;
}

void CStdFileStream::Close()
{
    if (!open_)
        return;
    size_ = 0;
    position_ = 0;
    block_ = nullptr;
    file_.Reset();
    open_ = false;
}

void CStdFileStream::Seek(int offset, int origin)
{
    if (!open_ || !SeekTarget(offset, origin, position_, size_, position_))
        return;
    if (!memory_) {
        LONG high = 0;
        ::SetFilePointer(file_.Get(), static_cast<LONG>(position_), &high, FILE_BEGIN);
    }
}

uint32_t CStdFileStream::Read(void* buffer, uint32_t elementSize, uint32_t count)
{
    if (!open_ || IsEOF() || elementSize == 0 || count == 0)
        return 0;
    auto* out = static_cast<uint8_t*>(buffer);
    uint32_t complete = 0;
    for (uint32_t i = 0; i < count && position_ < size_; ++i) {
        const uint32_t remaining = size_ - position_;
        const uint32_t chunk = remaining < elementSize ? remaining : elementSize;
        if (memory_) {
            std::memcpy(out, block_ + position_, chunk);
        } else {
            DWORD read = 0;
            if (!::ReadFile(file_.Get(), out, chunk, &read, nullptr) || read != chunk) {
                // The file shrank under us: stop where the data ended.
                position_ += read;
                break;
            }
        }
        position_ += chunk;
        out += chunk;
        if (chunk == elementSize)
            ++complete;
    }
    return complete;
}

}  // namespace Kiln
