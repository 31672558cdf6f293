#include "kiln/cli/image_commands.h"

#include <ostream>

#include "kiln/cli/cli_support.h"
#include "kiln/file/byte_stream.h"
#include "kiln/image/bmp_loader.h"
#include "kiln/image/dds_format.h"
#include "kiln/image/decoder_choice.h"
#include "kiln/image/pixel_buffer.h"
#include "kiln/image/std_graphics_loader.h"

namespace KilnCli {
namespace {

using Kiln::KilnHandle;

constexpr char kUsage[] = "usage: kiln image info FILE | image decode FILE --out RAW | image dds FILE OUT.dds\n";

// An image loaded the way the runtime loads it: the extension picks the decoder.
struct LoadedImage {
    Kiln::ImageDecoder kind = Kiln::ImageDecoder::Bmp;
    KilnHandle<Kiln::IGraphicsPlugin> decoder;
    Kiln::CStdGraphicsLoader loader;
};

bool Load(const std::string& path, LoadedImage& image, std::ostream& err)
{
    ReadError error = ReadError::kNone;
    std::optional<std::vector<uint8_t>> bytes = ReadStreamBytes(path, &error);
    if (!bytes) {
        err << "kiln image: " << path << ": " << Describe(error) << "\n";
        return false;
    }
    image.kind = Kiln::DecoderForName(path);
    image.decoder = KilnHandle<Kiln::IGraphicsPlugin>::Adopt(Kiln::CreateDecoder(image.kind));
    auto stream = KilnHandle<Kiln::IDataStream>::Adopt(new Kiln::CByteStream(std::move(*bytes)));
    if (!image.decoder || !image.loader.Load(stream.Get(), image.decoder.Get())) {
        err << "kiln image: " << path << " is not a readable " << Kiln::DecoderName(image.kind) << " image\n";
        return false;
    }
    return true;
}

// Loaded, and in a layout whose pixels the decoders convert.
bool LoadPixels(const std::string& path, LoadedImage& image, std::ostream& err)
{
    if (!Load(path, image, err))
        return false;
    const bool bmpSupported = image.kind != Kiln::ImageDecoder::Bmp ||
                              Kiln::CBMPLoader::IsSupportedBitCount(image.decoder->GetBitCount());
    if (bmpSupported && Kiln::PixelBuffer::Bytes(image.loader.GetWidth(), image.loader.GetHeight(), false) != 0)
        return true;
    err << "kiln image: " << path << " has a layout the decoder does not convert\n";
    return false;
}

int Info(const std::string& path, Streams& streams)
{
    LoadedImage image;
    if (!Load(path, image, streams.err))
        return kFailed;
    streams.out << "decoder: " << Kiln::DecoderName(image.kind) << "\n"
                << "width: " << image.loader.GetWidth() << "\n"
                << "height: " << image.loader.GetHeight() << "\n"
                << "bits: " << image.decoder->GetBitCount() << "\n";
    return kOk;
}

bool WriteOutput(const std::string& out, const std::vector<uint8_t>& bytes, std::ostream& err)
{
    if (WriteFileBytes(out, bytes))
        return true;
    err << "kiln image: cannot write " << out << "\n";
    return false;
}

int Decode(const std::string& path, const std::string& out, Streams& streams)
{
    LoadedImage image;
    if (!LoadPixels(path, image, streams.err))
        return kFailed;
    const int32_t width = image.loader.GetWidth();
    const int32_t height = image.loader.GetHeight();
    std::vector<uint8_t> pixels(Kiln::PixelBuffer::Bytes(width, height, false));
    image.loader.CopyPixels(pixels.data(), width, height, false);
    if (!WriteOutput(out, pixels, streams.err))
        return kFailed;
    streams.out << width << " x " << height << " pixels (0xAARRGGBB, top-down) written to " << out << "\n";
    return kOk;
}

int MakeDds(const std::string& path, const std::string& out, Streams& streams)
{
    LoadedImage image;
    if (!LoadPixels(path, image, streams.err))
        return kFailed;
    const int32_t width = image.loader.GetWidth();
    const int32_t height = image.loader.GetHeight();
    const Kiln::DdsFormat::Header header =
        Kiln::DdsFormat::MakeDxt5Header(static_cast<uint32_t>(width), static_cast<uint32_t>(height));
    std::vector<uint8_t> file(header.begin(), header.end());
    file.resize(header.size() + Kiln::PixelBuffer::Bytes(width, height, true));
    image.loader.CopyPixels(file.data() + header.size(), width, height, true);
    if (!WriteOutput(out, file, streams.err))
        return kFailed;
    streams.out << width << " x " << height << " DXT5 texture written to " << out << "\n";
    return kOk;
}

}  // namespace

int RunImage(const Arguments& arguments, Streams& streams)
{
    const size_t count = arguments.size();
    if (count == 2 && arguments[0] == "info")
        return Info(arguments[1], streams);
    if (count == 4 && arguments[0] == "decode" && arguments[2] == "--out")
        return Decode(arguments[1], arguments[3], streams);
    if (count == 3 && arguments[0] == "dds")
        return MakeDds(arguments[1], arguments[2], streams);
    streams.err << kUsage;
    return kBadUsage;
}

}  // namespace KilnCli
