#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>

// A whole file mapped read-only where the system maps files (POSIX): a delta's old file is then
// read in place rather than copied into fresh memory, which the system must clear first.
namespace Kiln::Patch {

class MappedFile {
public:
    // Nothing when the file cannot be mapped here or is not exactly `size` bytes.
    static std::unique_ptr<MappedFile> Open(const std::filesystem::path& path, size_t size);
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    const uint8_t* Data() const { return data_; }

private:
    MappedFile(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    const uint8_t* data_;
    size_t size_;
};

}  // namespace Kiln::Patch
