// Decoding a 2048 x 2048 RGBA PNG to 32-bit 0xAARRGGBB pixels: the PNG decoder beside
// libpng's own simplified API producing the same layout from the same file.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include <png.h>

#include "kiln/file/byte_stream.h"
#include "kiln/image/png_plugin.h"
#include "tests/support/test_image_files.h"

namespace {

constexpr uint32_t kSide = 2048;

// Gradients with noise: compresses like a picture, not like a flat test card.
const KilnTest::Bytes& PictureFile()
{
    static const KilnTest::Bytes file = [] {
        KilnTest::PngShape shape;
        shape.width = kSide;
        shape.height = kSide;
        uint32_t noise = 1;
        for (uint32_t y = 0; y < kSide; ++y) {
            KilnTest::Bytes row(kSide * 4);
            for (uint32_t x = 0; x < kSide; ++x) {
                noise = noise * 1664525 + 1013904223;
                row[x * 4 + 0] = static_cast<uint8_t>(x / 8 + (noise >> 28));
                row[x * 4 + 1] = static_cast<uint8_t>(y / 8 + (noise >> 29));
                row[x * 4 + 2] = static_cast<uint8_t>((x + y) / 16);
                row[x * 4 + 3] = static_cast<uint8_t>(255 - (noise >> 30));
            }
            shape.rows.push_back(std::move(row));
        }
        return KilnTest::MakePng(shape);
    }();
    return file;
}

void KilnPngPlugin(benchmark::State& state)
{
    const KilnTest::Bytes& file = PictureFile();
    std::vector<uint32_t> pixels(kSide * kSide);
    for (auto _ : state) {
        state.PauseTiming();
        auto stream = Kiln::KilnHandle<Kiln::CByteStream>::Adopt(new Kiln::CByteStream(file));
        Kiln::CPNGPlugin plugin;
        state.ResumeTiming();
        if (!plugin.Load(stream.Get()))
            state.SkipWithError("the PNG decoder refused the file");
        plugin.CopyPixels(pixels.data(), kSide, kSide, false);
        plugin.Unload();
        benchmark::DoNotOptimize(pixels.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kSide * kSide * 4);
}

void LibpngSimplifiedApi(benchmark::State& state)
{
    const KilnTest::Bytes& file = PictureFile();
    std::vector<uint32_t> pixels(kSide * kSide);
    for (auto _ : state) {
        png_image image;
        std::memset(&image, 0, sizeof image);
        image.version = PNG_IMAGE_VERSION;
        if (!png_image_begin_read_from_memory(&image, file.data(), file.size()))
            state.SkipWithError(image.message);
        image.format = PNG_FORMAT_BGRA;
        if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr))
            state.SkipWithError(image.message);
        benchmark::DoNotOptimize(pixels.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kSide * kSide * 4);
}

BENCHMARK(KilnPngPlugin)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(LibpngSimplifiedApi)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
