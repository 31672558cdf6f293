// Every reader of outside data, fed headers that promise the most their fields allow, takes no
// more heap than a small constant plus what its bytes could really expand to. The heap is
// counted, not estimated: every allocation of ours and of the libraries behind the readers.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "kiln/cli/pe_image.h"
#include "kiln/crypt/base64.h"
#include "kiln/crypt/compress_lzma.h"
#include "kiln/crypt/compress_zlib.h"
#include "kiln/crypt/seal_string.h"
#include "kiln/crypt/signature.h"
#include "kiln/file/byte_stream.h"
#include "kiln/image/bmp_loader.h"
#include "kiln/image/dds_plugin.h"
#include "kiln/image/pixel_buffer.h"
#include "kiln/image/png_plugin.h"
#include "kiln/patch/payload.h"
#include "kiln/sound/ogg_read.h"
#include "kiln/sound/sound_fill.h"
#include "kiln/sound/wav_read.h"
#include "launcher/patch/update_info.h"
#include "tests/support/hostile_files.h"
#include "tests/support/peak_allocation.h"
#include "tests/support/test_image_files.h"
#include "tests/support/test_sound_files.h"

namespace {

using namespace KilnTest;
using Hostile::Bytes;
using Kiln::KilnHandle;

constexpr uint64_t KiB = 1024;
constexpr uint64_t MiB = 1024 * KiB;

std::string_view Text(const Bytes& bytes)
{
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

KilnHandle<Kiln::IDataStream> StreamOver(const Bytes& bytes)
{
    return KilnHandle<Kiln::IDataStream>::Adopt(new Kiln::CByteStream(bytes));
}

// As the launcher and the tool use a decoder: load, reserve the image's own size, copy the
// pixels, then once more as DXT5 blocks.
template <class Decoder>
size_t DecodeImage(const Bytes& file)
{
    auto stream = StreamOver(file);
    auto decoder = KilnHandle<Decoder>::Adopt(new Decoder);
    return PeakAllocation::During([&] {
        if (!decoder->Load(stream.Get()))
            return;
        const int32_t width = decoder->GetWidth();
        const int32_t height = decoder->GetHeight();
        for (const bool dxt5 : {false, true}) {
            const size_t bytes = Kiln::PixelBuffer::Bytes(width, height, dxt5);
            if (bytes == 0)
                continue;
            std::vector<uint8_t> destination(bytes);
            decoder->CopyPixels(destination.data(), width, height, dxt5);
        }
        decoder->Unload();
    });
}

// As a sound buffer loads: open, reserve the length the reader reports (up to the most a
// DirectSound buffer takes), fill it with one read.
template <class Reader>
size_t LoadSound(const Bytes& file)
{
    constexpr double kMostBufferBytes = 0x0FFFFFFF;
    auto stream = StreamOver(file);
    auto reader = KilnHandle<Reader>::Adopt(new Reader);
    return PeakAllocation::During([&] {
        if (!reader->Open(stream.Get()))
            return;
        Kiln::WaveFormat format{};
        reader->GetFormat(format);
        const double bytes = reader->GetLength() / 1000.0 * format.avgBytesPerSec;
        if (bytes >= 4 && bytes <= kMostBufferBytes) {
            std::vector<uint8_t> buffer(static_cast<size_t>(bytes));
            Kiln::FillSoundBuffer(buffer.data(), static_cast<uint32_t>(buffer.size()), format.bitsPerSample, *reader);
        }
        reader->Close();
    });
}

// As `kiln uncompress` does: learn the length (zlib by inflating, LZMA from its container),
// reserve it, uncompress.
constexpr uint64_t kToolLimit = uint64_t{1} << 30;

size_t UncompressZlib(const Bytes& packed)
{
    return PeakAllocation::During([&] {
        const auto size = static_cast<uint32_t>(packed.size());
        const auto length = Kiln::CCompress_zlib::UncompressedLength(packed.data(), size, kToolLimit);
        if (!length)
            return;
        std::vector<uint8_t> out(*length);
        uint32_t produced = static_cast<uint32_t>(out.size());
        auto zlib = KilnHandle<Kiln::CCompress_zlib>::Adopt(new Kiln::CCompress_zlib);
        zlib->Uncompress(out.data(), produced, packed.data(), size);
    });
}

size_t UncompressLzma(const Bytes& packed)
{
    return PeakAllocation::During([&] {
        const auto size = static_cast<uint32_t>(packed.size());
        const auto stored = Kiln::CCompress_lzma::StoredLength(packed.data(), size);
        if (!stored || *stored > kToolLimit || !Kiln::CCompress_lzma::LengthFitsStream(*stored, size))
            return;
        std::vector<uint8_t> out(*stored);
        uint32_t produced = *stored;
        auto lzma = KilnHandle<Kiln::CCompress_lzma>::Adopt(new Kiln::CCompress_lzma);
        lzma->Uncompress(out.data(), produced, packed.data(), size);
    });
}

size_t Measure(const std::function<void()>& work)
{
    return PeakAllocation::During(work);
}

Bytes Repeat(std::string_view piece, size_t times)
{
    Bytes out;
    out.reserve(piece.size() * times);
    for (size_t i = 0; i < times; ++i)
        out.insert(out.end(), piece.begin(), piece.end());
    return out;
}

// A bound of `constant` bytes plus `perByte` for every byte of the input.
std::function<uint64_t(const Bytes&)> Linear(uint64_t constant, uint64_t perByte)
{
    return [=](const Bytes& input) { return constant + perByte * input.size(); };
}

// The Ogg reader's: the decoder's budget, its buffers, and a whole-sound buffer of the most
// samples the bytes can carry (a quarter long block a byte) for the channels the file has.
// Channels and block sizes sit at fixed places of the first page (27 header bytes, one
// lacing value, then the identification packet).
uint64_t OggBound(const Bytes& input)
{
    const uint64_t channels = input.at(28 + 11);
    const uint64_t longBlock = uint64_t{1} << (input.at(28 + 28) >> 4);
    return 17 * MiB + 2 * input.size() + input.size() * longBlock / 4 * channels * 2;
}

struct Reader {
    const char* name;
    std::vector<Bytes> hostile;
    std::function<size_t(const Bytes&)> peakFor;
    // The bound stated beside the reader's code.
    std::function<uint64_t(const Bytes&)> bound;
};

// The container our compressor makes of `bytes` zero bytes: the best ratio it reaches.
Bytes LzmaZeros(size_t bytes)
{
    const Bytes zeros(bytes, 0);
    Bytes out(bytes / 2 + 64);
    uint32_t length = static_cast<uint32_t>(out.size());
    auto lzma = KilnHandle<Kiln::CCompress_lzma>::Adopt(new Kiln::CCompress_lzma);
    EXPECT_TRUE(lzma->Compress(out.data(), length, zeros.data(), static_cast<uint32_t>(zeros.size())));
    out.resize(length);
    return out;
}

// A palette PNG of 1-bit zeros: as many pixels as deflate lets a few bytes carry.
Bytes PngOfZeros(uint32_t width, uint32_t height)
{
    PngShape shape;
    shape.width = width;
    shape.height = height;
    shape.bitDepth = 1;
    shape.colorType = 3;
    shape.palette = {0, 0, 0, 255, 255, 255};
    shape.rows.assign(height, Bytes((width + 7) / 8, 0));
    return MakePng(shape);
}

// Each reader's hostile headers: sizes at the most their fields allow, products that overflow
// 32 bits, lengths no data backs; and files that do hold what they claim, as close to the
// bound as their format lets them come.
std::vector<Reader> Readers()
{
    using namespace Hostile;
    const Bytes someDeflate = ZlibZeros(64);
    const Bytes someLzma(16, 0);
    // 2048 x 2048 pixels of RLE8 take ceil(4194304 / 255) = 16449 runs.
    const Bytes fullRle = Bmp(2048, 2048, 8, 1, 1024 + 2 * 16449);
    const VorbisBook bigOrdered{1, 1u << 15, true, 15, false};
    const VorbisBook bigLookup{16, 1u << 15, true, 15, true};
    return {
        {"BMP",
         {Bmp(8192, 8192, 32, 0, 6), Bmp(16384, 4096, 1, 0, 0), Bmp(0x7FFFFFFF, 0x7FFFFFFF, 24, 0, 0),
          Bmp(65536, 65536, 32, 0, 64), Bmp(16384, -4096, 32, 0, 64), Bmp(16384, 4096, 8, 1, 64),
          Bmp(16384, 4096, 4, 2, 64), Bmp(16384, 4096, 0, 4, 64), Bmp(16384, 4096, 0xFFFF, 0, 64), fullRle,
          Bmp(4096, 1024, 1, 0, 8 + 512 * 1024)},
         DecodeImage<Kiln::CBMPLoader>, Linear(64 * KiB, 2 * 4 * 128)},
        {"PNG",
         {Png(16384, 16384, 16, 6, someDeflate), Png(0x7FFFFFFF, 0x7FFFFFFF, 8, 6, someDeflate),
          Png(16384, 4096, 1, 3, someDeflate), PngWithTextBomb(64 * MiB), PngOfZeros(4096, 1024)},
         DecodeImage<Kiln::CPNGPlugin>, Linear(256 * KiB, 1032 + 2 * 4 * 8 * 1032)},
        {"DDS",
         {MakeDds(16384, 16384, "DXT5", {}), MakeDds(16384, 16384, "", Bytes(64)),
          MakeDds(0xFFFFFFFF, 0xFFFFFFFF, "DXT5", Bytes(64)), MakeDds(256, 256, "DXT5", Bytes(65536)),
          MakeDds(128, 128, "", Bytes(65536))},
         DecodeImage<Kiln::CDDSPlugin>, Linear(64 * KiB, 3 * 4)},
        {"WAV",
         {MakeWav({1, 2, 44100, 16, Bytes(16), 0xFFFFFFFF}), MakeWav({1, 0xFFFF, 0xFFFFFFFF, 0xFFFF, Bytes(16), 0}),
          MakeWav({1, 2, 1, 16, Bytes(16), 0xFFFFFFF0}), MakeWav({1, 2, 44100, 16, Bytes(256 * KiB), 0})},
         LoadSound<Kiln::CWavRead>, Linear(64 * KiB, 1)},
        {"Ogg",
         {WithLastGranule(MakeOgg(2, 44100, 44100 * 3), 44100 * 1200), OggHeaders(2, 11, {{1, 1u << 22, true, 22, false}}),
          OggHeaders(2, 11, {{65535, 128, true, 7, true}}), OggHeaders(2, 11, std::vector<VorbisBook>(256, bigOrdered)),
          OggHeaders(255, 13, {{1, 2, true, 1, false}}), OggHeaders(2, 11, std::vector<VorbisBook>(14, bigOrdered)),
          OggHeaders(2, 11, std::vector<VorbisBook>(6, bigLookup)), WithLastGranule(MakeOgg(2, 44100, 44100 * 3), 44100 * 30)},
         LoadSound<Kiln::COGGRead>, OggBound},
        {"zlib container",
         {ZlibZeros(64 * MiB), {0x78, 0x01, 0x01, 0xFF, 0xFF, 0x00, 0x00}},
         UncompressZlib, Linear(64 * KiB, 1032)},
        {"LZMA container",
         {LzmaContainer(0x3FFFFFFF, 0x5D, 1u << 24, someLzma), LzmaContainer(0xFFFFFFFF, 0x5D, 1u << 24, someLzma),
          LzmaContainer(0x100000, 224, 0xFFFFFFFF, someLzma), LzmaContainer(16 * 8192, 224, 0xFFFFFFFF, someLzma),
          LzmaZeros(4 * MiB)},
         UncompressLzma, Linear(6300 * KiB, Kiln::CCompress_lzma::kMostBytesPerByte)},
        {"sealed strings",
         {Bytes(4 * MiB, 'A'), Repeat("AAA=", MiB)},
         [](const Bytes& text) { return Measure([&] { Kiln::UnsealString("key", Text(text)); }); },
         Linear(64 * KiB, 1)},
        {"Base64",
         {Bytes(4 * MiB, 'A'), Repeat("AAA=", MiB)},
         [](const Bytes& text) { return Measure([&] { Kiln::Base64Decode(Text(text)); }); },
         Linear(64 * KiB, 1)},
        {"update information",
         {Repeat(",,,\n", MiB / 4), Repeat(",", MiB), Repeat("0123456789abcdef,,,\n", MiB / 20)},
         [](const Bytes& text) { return Measure([&] { Launcher::ParseUpdateInfo(Text(text)); }); },
         Linear(64 * KiB, 30)},
        {"signatures",
         {Bytes(4 * MiB, 'A'), Repeat("AAAA", MiB)},
         [](const Bytes& text) { return Measure([&] { Kiln::Signature::ReadSignature(Text(text)); }); },
         Linear(4 * KiB, 0)},
        {"patch payload",
         {PayloadPromisingEntries(MiB, MiB), PayloadPromisingEntries(0, 4 * MiB)},
         [](const Bytes& bytes) { return Measure([&] { Kiln::Patch::ReadPayload(bytes.data(), bytes.size()); }); },
         Linear(64 * KiB, 3)},
        {"PE reader",
         {PeWithSharedExportName(16384, 4095), PeWithSharedExportName(65536, 15)},
         [](const Bytes& bytes) { return Measure([&] { KilnCli::ReadPeImage(Text(bytes)); }); },
         Linear(64 * KiB, 10)},
    };
}

// Every bound below would hold trivially if the count missed allocations: it sees those a
// library makes with malloc as well as our own.
TEST(ReaderMemory, TheCountSeesOurHeapAndTheLibraries)
{
    if (!PeakAllocation::Available())
        GTEST_SKIP() << "this build cannot count allocations";
    // Deflate at level 9 keeps a 64 KiB window, two 64 KiB hash tables and a 64 KiB pending
    // buffer, all allocated inside zlib.
    EXPECT_GE(PeakAllocation::During([] { Hostile::ZlibZeros(1); }), 200 * KiB);
    // A stream copies the bytes it is made from with operator new.
    const Bytes megabyte(MiB, 7);
    EXPECT_GE(PeakAllocation::During([&] { StreamOver(megabyte); }), MiB);
}

TEST(ReaderMemory, HostileHeadersTakeNoMoreThanTheirBytesCanHold)
{
    if (!PeakAllocation::Available())
        GTEST_SKIP() << "this build cannot count allocations";
    for (const Reader& reader : Readers()) {
        for (size_t i = 0; i < reader.hostile.size(); ++i) {
            const Bytes& input = reader.hostile[i];
            const uint64_t peak = reader.peakFor(input);
            EXPECT_LE(peak, reader.bound(input))
                << reader.name << ", hostile input " << i + 1 << " (" << input.size() << " bytes)";
        }
    }
}

}  // namespace
