#include "kiln/sound/ogg_read.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <new>

#include <vorbis/vorbisfile.h>

#include "kiln/file/stream_read.h"
#include "kiln/sound/vorbis_headers.h"

namespace Kiln {
namespace {

constexpr uint32_t kMaxChunk = std::numeric_limits<int32_t>::max();

size_t ReadFromStream(void* buffer, size_t size, size_t count, void* source)
{
    auto& stream = *static_cast<IDataStream*>(source);
    if (size == 0 || count == 0)
        return 0;
    // vorbisfile asks for bytes: one call for the lot instead of one per byte.
    if (size == 1)
        return ReadSome(stream, buffer, static_cast<uint32_t>(std::min<size_t>(count, kMaxChunk)));
    if (size > kMaxChunk)
        return 0;
    return stream.Read(buffer, static_cast<uint32_t>(size), static_cast<uint32_t>(std::min<size_t>(count, kMaxChunk / size)));
}

int SeekStream(void* source, ogg_int64_t offset, int origin)
{
    auto& stream = *static_cast<IDataStream*>(source);
    int64_t target;
    switch (origin) {
    case SEEK_SET: target = offset; break;
    case SEEK_CUR: target = int64_t{stream.GetPosition()} + offset; break;
    case SEEK_END: target = int64_t{stream.GetSize()} + offset; break;
    default: return -1;
    }
    target = std::clamp<int64_t>(target, 0, stream.GetSize());
    stream.Seek(static_cast<int>(static_cast<uint32_t>(target)), kSeekBegin);
    return 0;
}

// The stream is not the decoder's to release: closing only rewinds it.
int CloseStream(void* source)
{
    static_cast<IDataStream*>(source)->Seek(0, kSeekBegin);
    return 0;
}

long TellStream(void* source)
{
    return static_cast<long>(static_cast<IDataStream*>(source)->GetPosition());
}

// Whether the sound the file claims could come out of its bytes: every packet takes a byte
// and its lacing value, and yields at most half a long block of samples a channel.
bool LengthFitsBytes(OggVorbis_File& file, uint32_t bytes)
{
    int longest = 0;
    for (long link = 0; link < ov_streams(&file); ++link)
        longest = std::max(longest, vorbis_info_blocksize(ov_info(&file, static_cast<int>(link)), 1));
    const ogg_int64_t samples = ov_pcm_total(&file, -1);
    return samples >= 0 && static_cast<uint64_t>(samples) <= uint64_t{bytes} / 2 * static_cast<uint64_t>(longest) / 2;
}

}  // namespace

COGGRead::COGGRead() : file_(new (std::nothrow) OggVorbis_File()) {}

COGGRead::~COGGRead()
{
    Close();
}

bool COGGRead::Open(IDataStream* stream)
{
    if (open_ || !stream || !file_)
        return false;
    stream_ = KilnHandle<IDataStream>::Retain(stream);
    // Memory: VorbisHeaders::kBudget + 2 bytes a byte of the file; the length, blocksize / 4 samples a byte at most.
    if (!VorbisHeaders::Fit(*stream))
        return false;
    const ov_callbacks callbacks = {ReadFromStream, SeekStream, CloseStream, TellStream};
    // On failure vorbisfile has cleared the decoder itself.
    if (ov_open_callbacks(stream, file_.get(), nullptr, 0, callbacks) < 0)
        return false;
    const vorbis_info* info = ov_info(file_.get(), -1);
    if (!info || info->channels <= 0 || info->rate <= 0 || !LengthFitsBytes(*file_, stream->GetSize()) ||
        !MakePcmFormat(static_cast<uint32_t>(info->channels), static_cast<uint32_t>(info->rate), 16, format_)) {
        ov_clear(file_.get());
        return false;
    }
    length_ = TruncateToUint32(ov_time_total(file_.get(), -1) * 1000);
    open_ = true;
    return true;
}

bool COGGRead::Read(uint32_t size, void* buffer, uint32_t& read)
{
    read = 0;
    if (!open_)
        return false;
    auto* out = static_cast<char*>(buffer);
    uint32_t total = 0;
    while (total < size) {
        int section = 0;
        const int chunk = static_cast<int>(std::min(size - total, kMaxChunk));
        const long got = ov_read(file_.get(), out + total, chunk, 0, 2, 1, &section);
        if (got == 0)
            break;  // end of the stream
        if (got < 0) {
            total = 0;  // a decoding error discards what this call delivered
            break;
        }
        total += static_cast<uint32_t>(got);
    }
    read = total;
    return true;
}

void COGGRead::Rewind()
{
    if (open_)
        ov_time_seek(file_.get(), 0);
}

uint32_t COGGRead::GetPosition()
{
    return open_ ? TruncateToUint32(ov_time_tell(file_.get()) * 1000) : 0;
}

void COGGRead::SetPosition(uint32_t milliseconds)
{
    if (open_)
        ov_time_seek(file_.get(), milliseconds / 1000.0);
}

void COGGRead::Close()
{
    if (!open_)
        return;
    length_ = 0;
    ov_clear(file_.get());
    open_ = false;
}

}  // namespace Kiln
