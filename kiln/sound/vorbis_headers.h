#pragma once

#include <cstdint>

#include "kiln/file/data_stream.h"

// The headers of an Ogg Vorbis file judged before vorbisfile reads them: what the decoder
// will build from them must fit a budget, and every header vorbisfile could read must be one
// this walk sees.
namespace Kiln::VorbisHeaders {

// The most heap the decoder's tables may take for all the streams of one file together.
constexpr uint64_t kBudget = uint64_t{16} << 20;

// Walks every page of the stream as vorbisfile would and sums what the setup headers of each
// Vorbis stream cost (SetupCost); false when the sum exceeds kBudget, when a book exceeds
// kMaxBookEntries, or when a valid page starts inside another (vorbisfile, seeking, could
// find such a page and read headers this walk never saw). Leaves the stream at 0.
bool Fit(IDataStream& stream);

}  // namespace Kiln::VorbisHeaders
