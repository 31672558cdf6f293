#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>

// Bytes read at any offset: from a file, with 64-bit offsets on every build (the 32-bit patch
// program reads files past 4 GiB too), or from memory. A patch's contents and a delta's old
// file are read this way, a piece at a time, rather than whole.
namespace Kiln::Patch {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual uint64_t Size() const = 0;
    // Exactly `size` bytes from `offset`; false when they are not all there.
    virtual bool ReadAt(uint64_t offset, uint8_t* out, size_t size) = 0;
};

class MemorySource : public ByteSource {
public:
    MemorySource(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint64_t Size() const override { return size_; }
    bool ReadAt(uint64_t offset, uint8_t* out, size_t size) override;

private:
    const uint8_t* data_;
    size_t size_;
};

// One open file. Not shared between threads: a second reader opens the file again.
class ReadableFile : public ByteSource {
public:
    static std::unique_ptr<ReadableFile> Open(const std::filesystem::path& path);
    ~ReadableFile() override;
    ReadableFile(const ReadableFile&) = delete;
    ReadableFile& operator=(const ReadableFile&) = delete;

    uint64_t Size() const override { return size_; }
    bool ReadAt(uint64_t offset, uint8_t* out, size_t size) override;

private:
    ReadableFile(std::FILE* file, uint64_t size) : file_(file), size_(size) {}
    std::FILE* file_;
    uint64_t size_;
    uint64_t position_ = 0;  // where the next read starts without a seek
};

// A span of a source (or of memory) read front to back, with the little-endian numbers the
// patch formats use. Every read is checked against what remains of the span.
class SourceReader {
public:
    SourceReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    SourceReader(ByteSource& source, uint64_t offset, uint64_t size)
        : source_(&source), start_(offset), size_(size)
    {
    }

    uint64_t Remaining() const { return size_ - position_; }
    // Where the next byte lies in the source.
    uint64_t Offset() const { return start_ + position_; }
    bool Read(uint8_t* out, size_t size);
    bool Skip(uint64_t size);
    bool Number(uint64_t& value, int bytes);

private:
    ByteSource* source_ = nullptr;
    const uint8_t* data_ = nullptr;
    uint64_t start_ = 0;
    uint64_t size_;
    uint64_t position_ = 0;
};

}  // namespace Kiln::Patch
