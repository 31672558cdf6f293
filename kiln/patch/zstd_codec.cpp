#include "kiln/patch/zstd_codec.h"

// ZSTD_d_stableOutBuffer is one of zstd's advanced parameters.
#define ZSTD_STATIC_LINKING_ONLY
#include <zstd.h>

#include <algorithm>
#include <memory>

#include "kiln/patch/delta_windows.h"

namespace Kiln::Patch {
namespace {

struct CCtxFree {
    void operator()(ZSTD_CCtx* c) const { ZSTD_freeCCtx(c); }
};
struct DCtxFree {
    void operator()(ZSTD_DCtx* d) const { ZSTD_freeDCtx(d); }
};
using Encoder = std::unique_ptr<ZSTD_CCtx, CCtxFree>;
using Decoder = std::unique_ptr<ZSTD_DCtx, DCtxFree>;

constexpr uint64_t kLargeInput = uint64_t{64} << 20;
constexpr int kLargeInputLevel = 9;
// Compressed input is read and handed to zstd in pieces of this size.
constexpr size_t kInputPiece = size_t{1} << 17;

// The window must reach back over the whole prefix, or matches far into it are lost.
int WindowLogFor(uint64_t reach)
{
    const ZSTD_bounds bounds = ZSTD_cParam_getBounds(ZSTD_c_windowLog);
    int log = bounds.lowerBound;
    while (log < bounds.upperBound && (uint64_t{1} << log) < reach)
        ++log;
    return log;
}

// Whether a frame says it holds exactly `size` bytes, as the entry or window does.
bool DeclaresSize(const uint8_t* frame, size_t available, uint64_t size)
{
    const unsigned long long declared = ZSTD_getFrameContentSize(frame, available);
    return declared != ZSTD_CONTENTSIZE_ERROR && declared != ZSTD_CONTENTSIZE_UNKNOWN && declared == size;
}

// Reads the next piece of a frame's `remaining` bytes from `in` into `buffer`.
bool NextInput(SourceReader& in, uint64_t& remaining, Bytes& buffer, ZSTD_inBuffer& input)
{
    const size_t piece = static_cast<size_t>(std::min<uint64_t>(remaining, buffer.size()));
    if (!in.Read(buffer.data(), piece))
        return false;
    remaining -= piece;
    input = ZSTD_inBuffer{buffer.data(), piece, 0};
    return true;
}

}  // namespace

int LevelFor(uint64_t reach, int level)
{
    return reach > kLargeInput ? std::min(level, kLargeInputLevel) : level;
}

struct FrameEncoder::State {
    Encoder context{ZSTD_createCCtx()};
};

FrameEncoder::FrameEncoder() : state_(std::make_unique<State>()) {}
FrameEncoder::~FrameEncoder() = default;

std::optional<Bytes> FrameEncoder::Compress(const uint8_t* prefix, size_t prefixSize, const uint8_t* data,
                                            size_t size, int level)
{
    ZSTD_CCtx* c = state_->context.get();
    if (!c)
        return std::nullopt;
    ZSTD_CCtx_reset(c, ZSTD_reset_session_and_parameters);
    const uint64_t reach = uint64_t{size} + prefixSize;
    if (ZSTD_isError(ZSTD_CCtx_setParameter(c, ZSTD_c_compressionLevel, LevelFor(reach, level))) ||
        ZSTD_isError(ZSTD_CCtx_setParameter(c, ZSTD_c_checksumFlag, 1)))
        return std::nullopt;
    if (prefixSize > 0) {
        if (ZSTD_isError(ZSTD_CCtx_setParameter(c, ZSTD_c_enableLongDistanceMatching, 1)) ||
            ZSTD_isError(ZSTD_CCtx_setParameter(c, ZSTD_c_windowLog, WindowLogFor(reach))) ||
            ZSTD_isError(ZSTD_CCtx_refPrefix(c, prefix, prefixSize)))
            return std::nullopt;
    }
    ZSTD_CCtx_setPledgedSrcSize(c, size);
    Bytes out(ZSTD_compressBound(size));
    const size_t written = ZSTD_compress2(c, out.data(), out.size(), data, size);
    if (ZSTD_isError(written))
        return std::nullopt;
    out.resize(written);
    return out;
}

struct FrameDecoder::State {
    Decoder context{ZSTD_createDCtx()};
    Bytes input = Bytes(kInputPiece);
};

FrameDecoder::FrameDecoder() : state_(std::make_unique<State>()) {}
FrameDecoder::~FrameDecoder() = default;

bool FrameDecoder::DecodeInto(const uint8_t* prefix, size_t prefixSize, SourceReader& in, uint64_t frameSize,
                              uint8_t* out, size_t size, const DecodedPiece& piece)
{
    ZSTD_DCtx* d = state_->context.get();
    if (!d || frameSize > in.Remaining())
        return false;
    ZSTD_DCtx_reset(d, ZSTD_reset_session_and_parameters);
    // The window a frame may ask for: what the encoder gave it (WindowLogFor) and no more, so a
    // damaged frame cannot make the decoder reach outside prefix and output.
    if (ZSTD_isError(ZSTD_DCtx_setParameter(d, ZSTD_d_windowLogMax, WindowLogFor(uint64_t{size} + prefixSize))) ||
        ZSTD_isError(ZSTD_DCtx_setParameter(d, ZSTD_d_stableOutBuffer, 1)))
        return false;
    if (prefixSize > 0 && ZSTD_isError(ZSTD_DCtx_refPrefix(d, prefix, prefixSize)))
        return false;
    uint8_t none = 0;
    ZSTD_outBuffer target{size ? out : &none, size, 0};
    ZSTD_inBuffer input{nullptr, 0, 0};
    uint64_t unread = frameSize;
    if (!NextInput(in, unread, state_->input, input) || !DeclaresSize(state_->input.data(), input.size, size))
        return false;
    size_t remaining = 1;
    while (remaining != 0) {
        if (input.pos == input.size && unread > 0 && !NextInput(in, unread, state_->input, input))
            return false;
        const size_t reported = target.pos;
        const size_t consumed = input.pos;
        remaining = ZSTD_decompressStream(d, &target, &input);
        if (ZSTD_isError(remaining))
            return false;
        if (target.pos > reported && !piece(out + reported, target.pos - reported))
            return false;
        if (remaining != 0 && target.pos == reported && input.pos == consumed)
            return false;  // truncated, or more than `size` bytes: no progress possible
    }
    return target.pos == size && input.pos == input.size && unread == 0;
}

std::optional<Bytes> CompressSource(ByteSource& source, int level, const EncodeProgress& progress)
{
    const Encoder context(ZSTD_createCCtx());
    ZSTD_CCtx* c = context.get();
    const uint64_t size = source.Size();
    if (!c || ZSTD_isError(ZSTD_CCtx_setParameter(c, ZSTD_c_compressionLevel, LevelFor(size, level))) ||
        ZSTD_isError(ZSTD_CCtx_setParameter(c, ZSTD_c_checksumFlag, 1)) ||
        ZSTD_isError(ZSTD_CCtx_setPledgedSrcSize(c, size)))
        return std::nullopt;
    Bytes input(size_t{1} << 20);
    Bytes output(ZSTD_CStreamOutSize());
    Bytes out;
    uint64_t read = 0;
    for (;;) {
        const size_t piece = static_cast<size_t>(std::min<uint64_t>(size - read, input.size()));
        if (!source.ReadAt(read, input.data(), piece))
            return std::nullopt;
        read += piece;
        const ZSTD_EndDirective mode = read == size ? ZSTD_e_end : ZSTD_e_continue;
        ZSTD_inBuffer in{input.data(), piece, 0};
        size_t left = 1;
        while (mode == ZSTD_e_end ? left != 0 : in.pos < in.size) {
            ZSTD_outBuffer target{output.data(), output.size(), 0};
            left = ZSTD_compressStream2(c, &target, &in, mode);
            if (ZSTD_isError(left))
                return std::nullopt;
            out.insert(out.end(), output.data(), output.data() + target.pos);
        }
        if (progress)
            progress(read);
        if (mode == ZSTD_e_end)
            return out;
    }
}

std::optional<Encoded> EncodeContents(const Bytes& old, const Bytes& next, int level)
{
    level = LevelFor(uint64_t{old.size()} + next.size(), level);
    FrameEncoder encoder;
    auto whole = encoder.Compress(nullptr, 0, next.data(), next.size(), level);
    if (!whole)
        return std::nullopt;
    if (!old.empty() && !next.empty()) {
        auto delta = EncodeDelta(old, next, level);
        if (delta && delta->size() >= whole->size() && level > kLargeInputLevel)
            delta = EncodeDelta(old, next, kLargeInputLevel);
        if (!delta)
            return std::nullopt;
        if (delta->size() < whole->size())
            return Encoded{Method::kDelta, std::move(*delta)};
    }
    return Encoded{Method::kWhole, std::move(*whole)};
}

bool DecodeWholeInPieces(SourceReader& in, uint64_t size, const DecodedPiece& piece)
{
    Bytes input(kInputPiece);
    uint64_t unread = in.Remaining();
    ZSTD_inBuffer from{nullptr, 0, 0};
    if (!NextInput(in, unread, input, from) || !DeclaresSize(input.data(), from.size, size))
        return false;
    const Decoder context(ZSTD_createDCtx());
    if (!context)
        return false;
    // zstd's default window limit (128 MiB) holds every frame the builder writes whole.
    Bytes buffer(ZSTD_DStreamOutSize());
    uint64_t total = 0;
    size_t remaining = 1;
    while (remaining != 0) {
        if (from.pos == from.size && unread > 0 && !NextInput(in, unread, input, from))
            return false;
        const size_t consumed = from.pos;
        ZSTD_outBuffer out{buffer.data(), buffer.size(), 0};
        remaining = ZSTD_decompressStream(context.get(), &out, &from);
        if (ZSTD_isError(remaining) || out.pos > size - total)
            return false;
        total += out.pos;
        if (out.pos > 0 && !piece(buffer.data(), out.pos))
            return false;
        if (remaining != 0 && out.pos == 0 && from.pos == consumed)
            return false;  // truncated frame: no progress possible
    }
    return total == size && from.pos == from.size && unread == 0;
}

bool DecodeWholeInPieces(const Bytes& data, uint64_t size, const DecodedPiece& piece)
{
    SourceReader in(data.data(), data.size());
    return DecodeWholeInPieces(in, size, piece);
}

std::optional<Bytes> DecodeContents(Method method, const Bytes& old, const Bytes& data, uint64_t size)
{
    if (size > SIZE_MAX / 2)
        return std::nullopt;
    Bytes out;
    try {
        out.reserve(static_cast<size_t>(size));
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    auto append = [&out](const uint8_t* piece, size_t length) {
        out.insert(out.end(), piece, piece + length);
        return true;
    };
    SourceReader in(data.data(), data.size());
    bool decoded = false;
    if (method == Method::kWhole) {
        decoded = DecodeWholeInPieces(in, size, append);
    } else if (method == Method::kDelta) {
        MemorySource oldSource(old.data(), old.size());
        decoded = DecodeDelta(in, oldSource, size, append) == DeltaResult::kDecoded;
    }
    if (!decoded)
        return std::nullopt;
    return out;
}

}  // namespace Kiln::Patch
