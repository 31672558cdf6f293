#include "kiln/file/file.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <stdexcept>

#include "kiln/base/scoped_win.h"
#include "kiln/base/text.h"
#include "kiln/file/file_controler.h"
#include "kiln/file/file_name.h"
#include "kiln/support/debug_log.h"

namespace Kiln {
namespace {

// Double-byte characters follow the process's own code page.
bool IsProcessLeadByte(unsigned char c)
{
    return ::IsDBCSLeadByte(c) != FALSE;
}

}  // namespace

bool CFile::IsEOF()
{
    return mode_ == kClosed || position_ >= size_;
}

uint32_t CFile::Read(void* buffer, uint32_t length)
{
    if (IsEOF())
        return 0;
    const uint32_t n = length >= size_ - position_ ? size_ - position_ : length;
    std::memcpy(buffer, contents_->data() + position_, n);
    position_ += n;
    return n;
}

void CFile::Seek(uint32_t position)
{
    if (mode_ == kMemoryImage)
        position_ = position;
    if (IsEOF())
        position_ = size_;
}

void CFile::Close()
{
    mode_ = kClosed;
    size_ = 0;
    position_ = 0;
    contents_.reset();
}

bool CFile::Open(const char* name)
{
    if (mode_ != kClosed)
        Close();
    const std::string& root = GetRootDirectory();
    const std::string fullName = FileName::FullName(name, root, IsProcessLeadByte);
    auto fail = [&] {
        Print("ファイルが読めない:%s\n", AsciiLower(FileName::DisplayName(name, root, IsProcessLeadByte)).c_str());
        return false;
    };

    UniqueFileHandle file(::CreateFileA(fullName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return fail();

    // A file the 32-bit sizes cannot express, or this process cannot hold, is as unreadable as
    // a missing one.
    LARGE_INTEGER fileSize = {};
    if (!::GetFileSizeEx(file.Get(), &fileSize) || fileSize.QuadPart < 0 || fileSize.QuadPart > UINT32_MAX)
        return fail();
    const DWORD size = static_cast<DWORD>(fileSize.QuadPart);
    std::shared_ptr<std::vector<uint8_t>> contents;
    try {
        // Zero-filled, so a short read never exposes stale memory.
        contents = std::make_shared<std::vector<uint8_t>>(size);
    } catch (const std::exception&) {  // bad_alloc, or length_error beyond the address space
        return fail();
    }
    if (size != 0) {
        DWORD read = 0;
        ::ReadFile(file.Get(), contents->data(), size, &read, nullptr);
    }
    size_ = size;
    position_ = 0;
    contents_ = std::move(contents);
    mode_ = kMemoryImage;
    return true;
}

}  // namespace Kiln
