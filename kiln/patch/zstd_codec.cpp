#include "kiln/patch/zstd_codec.h"

// ZSTD_d_stableOutBuffer is one of zstd's advanced parameters.
#define ZSTD_STATIC_LINKING_ONLY
#include <zstd.h>

#include <algorithm>
#include <memory>

namespace Kiln::Patch {
namespace {

struct CCtxFree {
    void operator()(ZSTD_CCtx* c) const { ZSTD_freeCCtx(c); }
};
struct DCtxFree {
    void operator()(ZSTD_DCtx* d) const { ZSTD_freeDCtx(d); }
};

// The window must reach back over the whole old file, or matches far into it are lost.
int WindowLogFor(uint64_t reach)
{
    const ZSTD_bounds bounds = ZSTD_cParam_getBounds(ZSTD_c_windowLog);
    int log = bounds.lowerBound;
    while (log < bounds.upperBound && (uint64_t{1} << log) < reach)
        ++log;
    return log;
}

std::optional<Bytes> Compress(const Bytes* prefix, const Bytes& next, int level)
{
    std::unique_ptr<ZSTD_CCtx, CCtxFree> context(ZSTD_createCCtx());
    if (!context)
        return std::nullopt;
    ZSTD_CCtx* c = context.get();
    const uint64_t reach = next.size() + (prefix ? prefix->size() : 0);
    if (ZSTD_isError(ZSTD_CCtx_setParameter(c, ZSTD_c_compressionLevel, level)) ||
        ZSTD_isError(ZSTD_CCtx_setParameter(c, ZSTD_c_checksumFlag, 1)))
        return std::nullopt;
    if (prefix) {
        if (ZSTD_isError(ZSTD_CCtx_setParameter(c, ZSTD_c_enableLongDistanceMatching, 1)) ||
            ZSTD_isError(ZSTD_CCtx_setParameter(c, ZSTD_c_windowLog, WindowLogFor(reach))) ||
            ZSTD_isError(ZSTD_CCtx_refPrefix(c, prefix->data(), prefix->size())))
            return std::nullopt;
    }
    ZSTD_CCtx_setPledgedSrcSize(c, next.size());
    Bytes out(ZSTD_compressBound(next.size()));
    const size_t written = ZSTD_compress2(c, out.data(), out.size(), next.data(), next.size());
    if (ZSTD_isError(written))
        return std::nullopt;
    out.resize(written);
    return out;
}

// Past this many bytes (old and new together) the optimal parsers of the highest levels lose
// the old file's matches: a 200 MiB archive with 2% changed gave a delta no smaller than the
// whole file at level 19, and 4 MiB at level 9. They are also slow there.
constexpr uint64_t kLargeInput = uint64_t{64} << 20;
constexpr int kLargeInputLevel = 9;

using Decoder = std::unique_ptr<ZSTD_DCtx, DCtxFree>;

// A decoder for a frame that says it holds exactly `size` bytes, as the entry does; else null.
Decoder DecoderFor(const Bytes& data, uint64_t size)
{
    const unsigned long long declared = ZSTD_getFrameContentSize(data.data(), data.size());
    if (declared == ZSTD_CONTENTSIZE_ERROR || declared == ZSTD_CONTENTSIZE_UNKNOWN || declared != size)
        return nullptr;
    return Decoder(ZSTD_createDCtx());
}

}  // namespace

std::optional<Encoded> EncodeContents(const Bytes& old, const Bytes& next, int level)
{
    if (uint64_t{old.size()} + next.size() > kLargeInput)
        level = std::min(level, kLargeInputLevel);
    auto whole = Compress(nullptr, next, level);
    if (!whole)
        return std::nullopt;
    if (!old.empty()) {
        auto delta = Compress(&old, next, level);
        if (delta && delta->size() >= whole->size() && level > kLargeInputLevel)
            delta = Compress(&old, next, kLargeInputLevel);
        if (!delta)
            return std::nullopt;
        if (delta->size() < whole->size())
            return Encoded{Method::kDelta, std::move(*delta)};
    }
    return Encoded{Method::kWhole, std::move(*whole)};
}

bool DecodeContentsInto(Method method, const uint8_t* old, size_t oldSize, const Bytes& data, uint8_t* out,
                        size_t size, const DecodeProgress& progress)
{
    if (method != Method::kWhole && method != Method::kDelta)
        return false;
    const auto context = DecoderFor(data, size);
    if (!context)
        return false;
    ZSTD_DCtx* d = context.get();
    if (ZSTD_isError(ZSTD_DCtx_setParameter(d, ZSTD_d_windowLogMax, ZSTD_dParam_getBounds(ZSTD_d_windowLogMax).upperBound)))
        return false;
    if (method == Method::kDelta && ZSTD_isError(ZSTD_DCtx_refPrefix(d, old, oldSize)))
        return false;
    // The output stays put (stable), so zstd decodes straight into it rather than through a
    // window buffer of its own; the input goes in small steps, so every piece is reported
    // while it is still in the cache.
    if (ZSTD_isError(ZSTD_DCtx_setParameter(d, ZSTD_d_stableOutBuffer, 1)))
        return false;
    constexpr size_t kStep = size_t{1} << 17;
    uint8_t none = 0;
    ZSTD_outBuffer target{size ? out : &none, size, 0};
    ZSTD_inBuffer in{data.data(), 0, 0};
    size_t remaining = 1;
    while (remaining != 0) {
        in.size = std::min(data.size(), in.pos + kStep);
        const size_t before = in.pos + target.pos;
        const size_t reported = target.pos;
        remaining = ZSTD_decompressStream(d, &target, &in);
        if (ZSTD_isError(remaining))
            return false;
        if (target.pos > reported && !progress(target.pos))
            return false;
        if (remaining != 0 && in.pos + target.pos == before && in.size == data.size())
            return false;  // truncated frame: no progress possible
    }
    return target.pos == size && in.pos == data.size();
}

bool DecodeWholeInPieces(const Bytes& data, uint64_t size, const DecodedPiece& piece)
{
    const auto context = DecoderFor(data, size);
    if (!context)
        return false;
    // zstd's default window limit (128 MiB) holds every frame the builder writes whole.
    Bytes buffer(ZSTD_DStreamOutSize());
    ZSTD_inBuffer in{data.data(), data.size(), 0};
    uint64_t total = 0;
    size_t remaining = 1;
    while (remaining != 0) {
        ZSTD_outBuffer out{buffer.data(), buffer.size(), 0};
        remaining = ZSTD_decompressStream(context.get(), &out, &in);
        if (ZSTD_isError(remaining) || out.pos > size - total)
            return false;
        total += out.pos;
        if (out.pos > 0 && !piece(buffer.data(), out.pos))
            return false;
        if (remaining != 0 && out.pos == 0 && in.pos == in.size)
            return false;  // truncated frame: no progress possible
    }
    return total == size && in.pos == data.size();
}

std::optional<Bytes> DecodeContents(Method method, const Bytes& old, const Bytes& data, uint64_t size)
{
    if (size > SIZE_MAX / 2)
        return std::nullopt;
    Bytes out;
    try {
        out.resize(static_cast<size_t>(size));
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    if (!DecodeContentsInto(method, old.data(), old.size(), data, out.data(), out.size(), [](size_t) { return true; }))
        return std::nullopt;
    return out;
}

}  // namespace Kiln::Patch
