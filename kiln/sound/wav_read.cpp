#include "kiln/sound/wav_read.h"

#include <algorithm>
#include <cstring>

#include "kiln/base/little_endian.h"
#include "kiln/file/stream_read.h"

namespace Kiln {
namespace {

constexpr uint32_t kFormatFieldBytes = 16;

bool HasTag(IDataStream& stream, uint32_t offset, const char* tag)
{
    char bytes[4];
    stream.Seek(static_cast<int>(offset), kSeekBegin);
    return ReadExact(stream, bytes, 4) && std::memcmp(bytes, tag, 4) == 0;
}

}  // namespace

uint32_t CWavRead::FindChunk(IDataStream& stream, const char* id)
{
    stream.Seek(0, kSeekBegin);
    uint8_t window[4];
    if (!ReadExact(stream, window, 4))
        return 0;
    while (!stream.IsEOF()) {
        if (std::memcmp(window, id, 4) == 0) {
            uint8_t size[4];
            return ReadExact(stream, size, 4) ? GetLE32(size) : 0;
        }
        std::memmove(window, window + 1, 3);
        if (!ReadExact(stream, window + 3, 1))
            return 0;
    }
    return 0;
}

bool CWavRead::ReadHeader(IDataStream& stream)
{
    if (!HasTag(stream, 0, "RIFF") || !HasTag(stream, 8, "WAVE"))
        return false;
    // The format fields must all be there.
    if (FindChunk(stream, "fmt ") < kFormatFieldBytes)
        return false;
    uint8_t fields[kFormatFieldBytes];
    if (!ReadExact(stream, fields, sizeof fields))
        return false;
    // Bytes per second and block alignment are recomputed from the other fields.
    if (GetLE16(fields) != kWaveFormatPcm)
        return false;
    if (!MakePcmFormat(GetLE16(fields + 2), GetLE32(fields + 4), GetLE16(fields + 14), format_))
        return false;

    const uint32_t claimed = FindChunk(stream, "data");
    const uint32_t dataStart = stream.GetPosition();
    const uint32_t size = stream.GetSize();
    // A file cut short plays what it holds: the data chunk ends with the file.
    // Memory: none of its own; the length it reports covers no more than the bytes after the data chunk's header.
    const uint32_t dataSize = std::min(claimed, size > dataStart ? size - dataStart : 0);
    if (dataSize == 0)
        return false;
    dataSize_ = dataSize;
    dataStart_ = dataStart;
    return true;
}

bool CWavRead::Open(IDataStream* stream)
{
    if (open_ || !stream)
        return false;
    stream_ = KilnHandle<IDataStream>::Retain(stream);
    if (!ReadHeader(*stream))
        return false;
    length_ = TruncateToUint32(static_cast<double>(dataSize_) / format_.avgBytesPerSec * 1000);
    position_ = 0;
    open_ = true;
    return true;
}

bool CWavRead::Read(uint32_t size, void* buffer, uint32_t& read)
{
    read = 0;
    if (!open_ || position_ >= dataSize_)
        return false;
    const uint32_t n = std::min(size, dataSize_ - position_);
    read = ReadSome(*stream_, buffer, n);
    // The position moves by the request even if the stream fell short, so reads always end.
    position_ += n;
    return true;
}

void CWavRead::Rewind()
{
    if (!open_)
        return;
    stream_->Seek(static_cast<int>(dataStart_), kSeekBegin);
    position_ = 0;
}

uint32_t CWavRead::GetPosition()
{
    if (!open_)
        return 0;
    return TruncateToUint32(static_cast<double>(position_) / format_.avgBytesPerSec * 1000);
}

void CWavRead::SetPosition(uint32_t milliseconds)
{
    if (!open_)
        return;
    // Whole sample frames; a time past the end stops at the end of the data.
    const uint64_t frames = std::min<uint64_t>(
        TruncateToUint32(milliseconds / 1000.0 * format_.samplesPerSec), dataSize_);
    const uint32_t offset = static_cast<uint32_t>(std::min<uint64_t>(frames * format_.blockAlign, dataSize_));
    stream_->Seek(static_cast<int>(dataStart_ + offset), kSeekBegin);
    position_ = offset;
}

void CWavRead::Close()
{
    if (!open_)
        return;
    length_ = 0;
    stream_->Seek(0, kSeekBegin);
    open_ = false;
}

}  // namespace Kiln
