#include "kiln/image/decoder_choice.h"

#include <new>
#include <string>

#include "kiln/file/file_name.h"
#include "kiln/image/bmp_loader.h"
#include "kiln/image/dds_plugin.h"
#include "kiln/image/png_plugin.h"

namespace Kiln {

ImageDecoder DecoderForName(std::string_view name)
{
    const std::string extension = FileName::LowerExtension(name);
    if (extension == "png")
        return ImageDecoder::Png;
    if (extension == "dds")
        return ImageDecoder::Dds;
    return ImageDecoder::Bmp;
}

const char* DecoderName(ImageDecoder decoder)
{
    switch (decoder) {
    case ImageDecoder::Png: return "png";
    case ImageDecoder::Dds: return "dds";
    default: return "bmp";
    }
}

IGraphicsPlugin* CreateDecoder(ImageDecoder decoder)
{
    switch (decoder) {
    case ImageDecoder::Png: return new (std::nothrow) CPNGPlugin;
    case ImageDecoder::Dds: return new (std::nothrow) CDDSPlugin;
    default: return new (std::nothrow) CBMPLoader;
    }
}

}  // namespace Kiln
