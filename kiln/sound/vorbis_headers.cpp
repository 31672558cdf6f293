#include "kiln/sound/vorbis_headers.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include <ogg/ogg.h>

#include "kiln/file/stream_read.h"
#include "kiln/sound/vorbis_setup_cost.h"

namespace Kiln::VorbisHeaders {
namespace {

constexpr uint32_t kLongestPage = 27 + 255 + 255 * 255;
// More "OggS" inside pages than any real file has: the file is refused rather than probed on.
constexpr int kMostProbes = 16;
// Vorbis streams of one file whose headers are still arriving; a real file interleaves a few.
constexpr size_t kMostStreams = 8;

// A stream whose headers are still arriving.
struct Gathering {
    explicit Gathering(int serial) { ogg_stream_init(&stream, serial); }
    ~Gathering() { ogg_stream_clear(&stream); }
    Gathering(const Gathering&) = delete;
    Gathering& operator=(const Gathering&) = delete;

    ogg_stream_state stream;
    int packets = 0;
    int channels = 0;
    uint32_t blocksize = 0;
};

class SyncState {
public:
    SyncState() { ogg_sync_init(&state_); }
    ~SyncState() { ogg_sync_clear(&state_); }
    SyncState(const SyncState&) = delete;
    SyncState& operator=(const SyncState&) = delete;
    ogg_sync_state* Get() { return &state_; }

    // Adds up to `length` bytes from the stream; how many arrived.
    uint32_t Fill(IDataStream& stream, uint32_t length)
    {
        char* buffer = ogg_sync_buffer(&state_, static_cast<long>(length));
        const uint32_t got = buffer ? ReadSome(stream, buffer, length) : 0;
        ogg_sync_wrote(&state_, static_cast<long>(got));
        return got;
    }

private:
    ogg_sync_state state_;
};

// Whether a valid page (capture pattern, lengths, CRC) starts at `offset`.
bool PageStartsAt(IDataStream& stream, uint32_t offset)
{
    SyncState probe;
    stream.Seek(static_cast<int>(offset), kSeekBegin);
    uint8_t header[27 + 255];
    if (ReadSome(stream, header, 27) != 27)
        return false;
    const uint32_t segments = header[26];
    if (ReadSome(stream, header + 27, segments) != segments)
        return false;
    uint32_t length = 27 + segments;
    for (uint32_t i = 0; i < segments; ++i)
        length += header[27 + i];
    stream.Seek(static_cast<int>(offset), kSeekBegin);
    if (probe.Fill(stream, std::min(length, kLongestPage)) != length)
        return false;
    ogg_page page;
    return ogg_sync_pageseek(probe.Get(), &page) > 0;
}

bool IsIdentification(const ogg_packet& packet)
{
    return packet.bytes >= 30 && packet.packet[0] == 1 && std::memcmp(packet.packet + 1, "vorbis", 6) == 0;
}

class Walk {
public:
    explicit Walk(IDataStream& stream) : stream_(stream) {}

    bool Run()
    {
        SyncState sync;
        stream_.Seek(0, kSeekBegin);
        uint32_t offset = 0;
        for (;;) {
            ogg_page page;
            const long result = ogg_sync_pageseek(sync.Get(), &page);
            if (result < 0) {
                offset += static_cast<uint32_t>(-result);
                continue;
            }
            if (result > 0) {
                if (!Page(page, offset))
                    return false;
                offset += static_cast<uint32_t>(result);
                continue;
            }
            if (sync.Fill(stream_, 4096) == 0)
                return true;
        }
    }

private:
    bool Page(ogg_page& page, uint32_t offset)
    {
        if (!NothingHidden(page, offset))
            return false;
        const int serial = ogg_page_serialno(&page);
        if (ogg_page_bos(&page))
            return Begin(page, serial);
        for (auto& gathering : streams_) {
            if (gathering->stream.serialno != serial)
                continue;
            const bool fits = Gather(gathering, page);
            streams_.erase(std::remove(streams_.begin(), streams_.end(), nullptr), streams_.end());
            return fits;
        }
        return true;
    }

    // Pages cannot overlap: any pattern inside this one must not begin a valid page.
    bool NothingHidden(const ogg_page& page, uint32_t offset)
    {
        const uint8_t* bytes = page.header;
        const size_t length = static_cast<size_t>(page.header_len + page.body_len);
        const uint32_t resume = stream_.GetPosition();
        bool clean = true;
        for (size_t at = 1; clean && at + 4 <= length; ++at) {
            if (std::memcmp(bytes + at, "OggS", 4) != 0)
                continue;
            clean = ++probes_ <= kMostProbes && !PageStartsAt(stream_, offset + static_cast<uint32_t>(at));
        }
        stream_.Seek(static_cast<int>(resume), kSeekBegin);
        return clean;
    }

    bool Begin(ogg_page& page, int serial)
    {
        auto gathering = std::make_unique<Gathering>(serial);
        ogg_packet packet;
        if (ogg_stream_pagein(&gathering->stream, &page) != 0 ||
            ogg_stream_packetout(&gathering->stream, &packet) != 1 || !IsIdentification(packet))
            return true;  // not Vorbis: vorbisfile passes it by too
        gathering->packets = 1;
        gathering->channels = packet.packet[11];
        gathering->blocksize = std::min<uint32_t>(1u << (packet.packet[28] >> 4), 8192);
        if (streams_.size() >= kMostStreams)
            return false;
        streams_.push_back(std::move(gathering));
        const bool fits = Gather(streams_.back(), page, false);
        streams_.erase(std::remove(streams_.begin(), streams_.end(), nullptr), streams_.end());
        return fits;
    }

    bool Gather(std::unique_ptr<Gathering>& gathering, ogg_page& page, bool pageIn = true)
    {
        if (pageIn && ogg_stream_pagein(&gathering->stream, &page) != 0)
            return true;
        ogg_packet packet;
        int result;
        while (gathering && (result = ogg_stream_packetout(&gathering->stream, &packet)) != 0) {
            if (result < 0 || ++gathering->packets < 3)
                continue;
            const auto cost = SetupCost(packet.packet, static_cast<size_t>(packet.bytes), gathering->channels,
                                        gathering->blocksize);
            if (!cost)
                return false;
            total_ += *cost;
            if (total_ > kBudget)
                return false;
            gathering.reset();
        }
        return true;
    }

    IDataStream& stream_;
    std::vector<std::unique_ptr<Gathering>> streams_;
    uint64_t total_ = 0;
    int probes_ = 0;
};

}  // namespace

bool Fit(IDataStream& stream)
{
    const bool fits = Walk(stream).Run();
    stream.Seek(0, kSeekBegin);
    return fits;
}

}  // namespace Kiln::VorbisHeaders
