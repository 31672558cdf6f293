#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

// The heap libvorbis commits to for a Vorbis setup header, counted from the header's fields
// before libvorbis reads it. A few bytes of setup can declare codebooks of millions of
// entries, and the decoder sizes its tables (some of them on the stack) by what they declare.
namespace Kiln::VorbisHeaders {

// Entries of one codebook: the decoder sorts a book's codewords in stack arrays of 12 bytes
// an entry. The encoders' largest books have 6561.
constexpr uint32_t kMaxBookEntries = 1u << 15;

// What a setup header commits the decoder to, for a stream of `channels` channels and long
// blocks of `blocksize` samples: its codebooks, floors, residues and the decoding state.
// Nothing when a book exceeds kMaxBookEntries. A header libvorbis would refuse is costed as
// far as libvorbis reads it.
std::optional<uint64_t> SetupCost(const uint8_t* packet, size_t size, int channels, uint32_t blocksize);

}  // namespace Kiln::VorbisHeaders
