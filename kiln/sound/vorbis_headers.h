#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "kiln/file/data_stream.h"

// What libvorbis will build from the headers of an Ogg Vorbis file, judged before it builds
// it. A few bytes of setup header can declare codebooks of millions of entries, and the
// decoder sizes its tables (some of them on the stack) by what the header declares.
namespace Kiln::VorbisHeaders {

// The most heap the decoder's tables may take for all the streams of one file together.
constexpr uint64_t kBudget = uint64_t{16} << 20;

// Entries of one codebook: the decoder sorts a book's codewords in stack arrays of 12 bytes
// an entry. The encoders' largest books have 6561.
constexpr uint32_t kMaxBookEntries = 1u << 15;

// Walks every page of the stream as vorbisfile would and sums what the headers of each
// Vorbis stream cost; false when the sum exceeds kBudget, when a book exceeds
// kMaxBookEntries, or when a valid page starts inside another (vorbisfile, seeking, could
// find such a page and read headers this walk never saw). Leaves the stream at 0.
bool Fit(IDataStream& stream);

// The heap a setup header commits the decoder to, for a stream of `channels` channels and
// long blocks of `blocksize` samples: its codebooks, floors, residues and the decoding
// state. Nothing when a book exceeds kMaxBookEntries. A header libvorbis would refuse
// is costed as far as libvorbis reads it.
std::optional<uint64_t> SetupCost(const uint8_t* packet, size_t size, int channels, uint32_t blocksize);

}  // namespace Kiln::VorbisHeaders
