#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Files whose headers promise far more than their bytes hold, built field by field from the
// published layouts (not with the readers they are fed to).
namespace KilnTest::Hostile {

using Bytes = std::vector<uint8_t>;

// A BMP header (14 + 40 bytes) with these fields, followed by `tail` zero bytes.
Bytes Bmp(int32_t width, int32_t height, uint16_t bitCount, uint32_t compression, size_t tail);

// A PNG of IHDR, one IDAT holding `idat` as it is, and IEND.
Bytes Png(uint32_t width, uint32_t height, uint8_t bitDepth, uint8_t colorType, const Bytes& idat);

// A 1 x 1 grey PNG carrying a zTXt chunk whose text inflates to `textBytes` zero bytes.
Bytes PngWithTextBomb(size_t textBytes);

// A zlib stream of `bytes` zero bytes.
Bytes ZlibZeros(size_t bytes);

// An LZMA container: stored length, the five property bytes, then `stream`.
Bytes LzmaContainer(uint32_t storedLength, uint8_t properties, uint32_t dictionary, const Bytes& stream);

// A Vorbis codebook as the setup header writes it.
struct VorbisBook {
    uint32_t dim = 1;
    uint32_t entries = 1;
    // Ordered: every entry the same length, written as one run. Unordered: `length` each.
    bool ordered = true;
    uint32_t length = 1;
    // Lookup type 1 (one quantized value, since entries^(1/dim) < 2) when set, else none.
    bool lookup = false;
};

// An Ogg Vorbis file of the three header packets and two audio pages: `books` in the setup
// header, then the smallest floor, residue, mapping and mode that refer to book 0.
Bytes OggHeaders(int channels, int blocksizeExponent, const std::vector<VorbisBook>& books);

// The same Ogg file with the granule position of its last page set to `granule` (the CRC
// written again): its header then claims that many samples.
Bytes WithLastGranule(Bytes ogg, uint64_t granule);

// Headers as OggHeaders writes them, but the comment's vendor text holds a whole valid page
// of another stream: a page inside a page, which a reader that seeks could find.
Bytes OggWithPageInComment();

// A Windows library whose export table names `count` exports that all point at one name of
// `nameLength` characters.
Bytes PeWithSharedExportName(uint32_t count, size_t nameLength);

// A patch payload whose System.ini block holds `iniBytes` and whose entry count promises as
// many entries as the remaining `tail` zero bytes could hold.
Bytes PayloadPromisingEntries(size_t iniBytes, size_t tail);

}  // namespace KilnTest::Hostile
