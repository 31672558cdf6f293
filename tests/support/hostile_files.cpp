#include "tests/support/hostile_files.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include <ogg/ogg.h>
#include <zlib.h>

#include "kiln/base/little_endian.h"
#include "tests/support/test_pe_files.h"

namespace KilnTest::Hostile {
namespace {

void Append32(Bytes& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void AppendBig32(Bytes& out, uint32_t value)
{
    for (int i = 3; i >= 0; --i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void AppendChunk(Bytes& png, const char* type, const Bytes& data)
{
    AppendBig32(png, static_cast<uint32_t>(data.size()));
    const size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    AppendBig32(png, static_cast<uint32_t>(crc32(0, png.data() + start, static_cast<uInt>(png.size() - start))));
}

Bytes PngSignature()
{
    return {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
}

Bytes Ihdr(uint32_t width, uint32_t height, uint8_t bitDepth, uint8_t colorType)
{
    Bytes ihdr;
    AppendBig32(ihdr, width);
    AppendBig32(ihdr, height);
    ihdr.insert(ihdr.end(), {bitDepth, colorType, 0, 0, 0});
    return ihdr;
}

// The bit writer of libogg, which is what Vorbis headers are written with.
class Bits {
public:
    Bits() { oggpack_writeinit(&buffer_); }
    ~Bits() { oggpack_writeclear(&buffer_); }
    Bits(const Bits&) = delete;
    Bits& operator=(const Bits&) = delete;

    void Put(uint32_t value, int bits) { oggpack_write(&buffer_, value, bits); }
    void PutText(const char* text)
    {
        for (; *text; ++text)
            Put(static_cast<uint8_t>(*text), 8);
    }
    Bytes Take()
    {
        const unsigned char* data = oggpack_get_buffer(&buffer_);
        return Bytes(data, data + oggpack_bytes(&buffer_));
    }

private:
    oggpack_buffer buffer_;
};

int BitsFor(uint32_t value)
{
    int bits = 0;
    for (; value; value >>= 1)
        ++bits;
    return bits;
}

void PutBook(Bits& bits, const VorbisBook& book)
{
    bits.Put(0x564342, 24);
    bits.Put(book.dim, 16);
    bits.Put(book.entries, 24);
    bits.Put(book.ordered ? 1 : 0, 1);
    if (book.ordered) {
        // One run: every entry `length` bits long.
        bits.Put(book.length - 1, 5);
        bits.Put(book.entries, BitsFor(book.entries));
    } else {
        bits.Put(0, 1);  // no unused entries
        for (uint32_t i = 0; i < book.entries; ++i)
            bits.Put(book.length - 1, 5);
    }
    if (!book.lookup) {
        bits.Put(0, 4);
        return;
    }
    bits.Put(1, 4);
    bits.Put(0, 32);  // minimum
    bits.Put(0, 32);  // delta
    bits.Put(0, 4);   // one bit per value
    bits.Put(0, 1);   // not cumulative
    bits.Put(0, 1);   // the one value
}

Bytes VorbisIdentification(int channels, int blocksizeExponent)
{
    Bits bits;
    bits.Put(1, 8);
    bits.PutText("vorbis");
    bits.Put(0, 32);
    bits.Put(static_cast<uint32_t>(channels), 8);
    bits.Put(44100, 32);
    bits.Put(0, 32);
    bits.Put(0, 32);
    bits.Put(0, 32);
    bits.Put(6, 4);  // short blocks of 64 samples
    bits.Put(static_cast<uint32_t>(blocksizeExponent), 4);
    bits.Put(1, 1);
    return bits.Take();
}

Bytes VorbisComment(const Bytes& vendor = {})
{
    Bits bits;
    bits.Put(3, 8);
    bits.PutText("vorbis");
    bits.Put(static_cast<uint32_t>(vendor.size()), 32);
    for (const uint8_t byte : vendor)
        bits.Put(byte, 8);
    bits.Put(0, 32);  // comments
    bits.Put(1, 1);
    return bits.Take();
}

Bytes VorbisSetup(const std::vector<VorbisBook>& books)
{
    Bits bits;
    bits.Put(5, 8);
    bits.PutText("vorbis");
    bits.Put(static_cast<uint32_t>(books.size() - 1), 8);
    for (const VorbisBook& book : books)
        PutBook(bits, book);
    bits.Put(0, 6);   // one time entry
    bits.Put(0, 16);
    bits.Put(0, 6);   // one floor: type 1, no partitions
    bits.Put(1, 16);
    bits.Put(0, 5);
    bits.Put(0, 2);
    bits.Put(4, 4);
    bits.Put(0, 6);   // one residue: type 0, empty, one partition, group book 0
    bits.Put(0, 16);
    bits.Put(0, 24);
    bits.Put(0, 24);
    bits.Put(0, 24);
    bits.Put(0, 6);
    bits.Put(0, 8);
    bits.Put(0, 3);
    bits.Put(0, 1);
    bits.Put(0, 6);   // one mapping: one submap, no coupling
    bits.Put(0, 16);
    bits.Put(0, 1);
    bits.Put(0, 1);
    bits.Put(0, 2);
    bits.Put(0, 8);
    bits.Put(0, 8);
    bits.Put(0, 8);
    bits.Put(0, 6);   // one mode
    bits.Put(0, 1);
    bits.Put(0, 16);
    bits.Put(0, 16);
    bits.Put(0, 8);
    bits.Put(1, 1);
    return bits.Take();
}

void AppendPage(Bytes& out, const ogg_page& page)
{
    out.insert(out.end(), page.header, page.header + page.header_len);
    out.insert(out.end(), page.body, page.body + page.body_len);
}

}  // namespace

Bytes Bmp(int32_t width, int32_t height, uint16_t bitCount, uint32_t compression, size_t tail)
{
    Bytes file(54 + tail, 0);
    file[0] = 'B';
    file[1] = 'M';
    Kiln::PutLE32(&file[2], static_cast<uint32_t>(file.size()));
    Kiln::PutLE32(&file[10], 54);
    Kiln::PutLE32(&file[14], 40);
    Kiln::PutLE32(&file[18], static_cast<uint32_t>(width));
    Kiln::PutLE32(&file[22], static_cast<uint32_t>(height));
    Kiln::PutLE16(&file[26], 1);
    Kiln::PutLE16(&file[28], bitCount);
    Kiln::PutLE32(&file[30], compression);
    return file;
}

Bytes Png(uint32_t width, uint32_t height, uint8_t bitDepth, uint8_t colorType, const Bytes& idat)
{
    Bytes png = PngSignature();
    AppendChunk(png, "IHDR", Ihdr(width, height, bitDepth, colorType));
    AppendChunk(png, "IDAT", idat);
    AppendChunk(png, "IEND", {});
    return png;
}

Bytes PngWithTextBomb(size_t textBytes)
{
    Bytes png = PngSignature();
    AppendChunk(png, "IHDR", Ihdr(1, 1, 8, 0));
    Bytes text = {'C', 'o', 'm', 'm', 'e', 'n', 't', 0, 0};  // keyword, separator, deflate
    const Bytes zeros = ZlibZeros(textBytes);
    text.insert(text.end(), zeros.begin(), zeros.end());
    AppendChunk(png, "zTXt", text);
    const Bytes row = {0, 0x80};  // filter byte, one grey sample
    Bytes idat(compressBound(row.size()));
    uLongf length = idat.size();
    compress(idat.data(), &length, row.data(), row.size());
    idat.resize(length);
    AppendChunk(png, "IDAT", idat);
    AppendChunk(png, "IEND", {});
    return png;
}

Bytes ZlibZeros(size_t bytes)
{
    const Bytes zeros(bytes, 0);
    Bytes out(compressBound(zeros.size()));
    uLongf length = out.size();
    if (compress2(out.data(), &length, zeros.data(), zeros.size(), 9) != Z_OK)
        throw std::runtime_error("zlib refused to compress");
    out.resize(length);
    return out;
}

Bytes LzmaContainer(uint32_t storedLength, uint8_t properties, uint32_t dictionary, const Bytes& stream)
{
    Bytes out;
    Append32(out, storedLength);
    out.push_back(properties);
    Append32(out, dictionary);
    out.insert(out.end(), stream.begin(), stream.end());
    return out;
}

namespace {

Bytes OggPages(int serial, int channels, int blocksizeExponent, const std::vector<VorbisBook>& books,
               const Bytes& vendor)
{
    ogg_stream_state stream;
    ogg_stream_init(&stream, serial);
    // The headers, then two pages of one short audio packet each, whose positions claim a
    // second of sound: a reader that reads it sets up its decoder.
    Bytes packets[5] = {VorbisIdentification(channels, blocksizeExponent), VorbisComment(vendor), VorbisSetup(books),
                        {0}, {0}};
    const int64_t granules[5] = {0, 0, 0, 32, 44100};
    Bytes out;
    for (int i = 0; i < 5; ++i) {
        ogg_packet packet{};
        packet.packet = packets[i].data();
        packet.bytes = static_cast<long>(packets[i].size());
        packet.b_o_s = i == 0;
        packet.e_o_s = i == 4;
        packet.granulepos = granules[i];
        packet.packetno = i;
        ogg_stream_packetin(&stream, &packet);
        ogg_page page;
        while (ogg_stream_flush(&stream, &page) != 0)
            AppendPage(out, page);
    }
    ogg_stream_clear(&stream);
    return out;
}

}  // namespace

Bytes OggHeaders(int channels, int blocksizeExponent, const std::vector<VorbisBook>& books)
{
    return OggPages(0x4B494C4E, channels, blocksizeExponent, books, {});
}

Bytes OggWithPageInComment()
{
    const Bytes other = OggPages(0x4F544852, 2, 11, {{1, 2, true, 1, false}}, {});
    const size_t firstPage = 27 + 1 + 30;  // header, one lacing value, the identification packet
    return OggPages(0x4B494C4E, 2, 11, {{1, 2, true, 1, false}}, Bytes(other.begin(), other.begin() + firstPage));
}

Bytes WithLastGranule(Bytes ogg, uint64_t granule)
{
    ogg_sync_state sync;
    ogg_sync_init(&sync);
    char* buffer = ogg_sync_buffer(&sync, static_cast<long>(ogg.size()));
    std::memcpy(buffer, ogg.data(), ogg.size());
    ogg_sync_wrote(&sync, static_cast<long>(ogg.size()));
    size_t offset = 0;
    size_t last = 0;
    ogg_page page;
    while (ogg_sync_pageout(&sync, &page) == 1) {
        last = offset;
        offset += static_cast<size_t>(page.header_len + page.body_len);
    }
    ogg_sync_clear(&sync);
    for (int i = 0; i < 8; ++i)
        ogg[last + 6 + i] = static_cast<uint8_t>(granule >> (8 * i));
    ogg_page rewritten{};
    rewritten.header = ogg.data() + last;
    rewritten.header_len = 27 + ogg[last + 26];
    rewritten.body = rewritten.header + rewritten.header_len;
    rewritten.body_len = 0;
    for (int i = 0; i < ogg[last + 26]; ++i)
        rewritten.body_len += ogg[last + 27 + i];
    ogg_page_checksum_set(&rewritten);
    return ogg;
}

Bytes PeWithSharedExportName(uint32_t count, size_t nameLength)
{
    PeShape shape;
    shape.exports.assign(count, std::string());
    shape.exports[0].assign(nameLength, 'A');
    Bytes file = MakePeFile(shape);
    // The name table follows the 40-byte directory and the function table.
    const size_t names = kPeExportDataOffset + 40 + 4 * size_t{count};
    const uint32_t first = Kiln::GetLE32(&file[names]);
    for (uint32_t i = 1; i < count; ++i)
        Kiln::PutLE32(&file[names + 4 * size_t{i}], first);
    return file;
}

Bytes PayloadPromisingEntries(size_t iniBytes, size_t tail)
{
    Bytes out = {'K', 'I', 'L', 'N', 'P', 'A', 'Y', '2'};
    out.insert(out.end(), {0, 0, 0, 0});  // two empty version texts
    Append32(out, 0);                     // flags
    Append32(out, static_cast<uint32_t>(iniBytes));
    Append32(out, static_cast<uint32_t>(uint64_t{iniBytes} >> 32));
    out.resize(out.size() + iniBytes, 'i');
    // The smallest entry takes 91 bytes.
    Append32(out, static_cast<uint32_t>(tail / 91));
    out.resize(out.size() + tail, 0);
    return out;
}

}  // namespace KilnTest::Hostile
