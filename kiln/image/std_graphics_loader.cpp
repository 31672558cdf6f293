#include "kiln/image/std_graphics_loader.h"

#include <new>

#include "kiln/image/bmp_loader.h"

namespace Kiln {

int32_t CStdGraphicsLoader::GetWidth()
{
    return loaded_ ? decoder_->GetWidth() : 0;
}

int32_t CStdGraphicsLoader::GetHeight()
{
    return loaded_ ? decoder_->GetHeight() : 0;
}

bool CStdGraphicsLoader::Load(IDataStream* stream, IGraphicsPlugin* decoder)
{
    if (loaded_)
        return false;
    stream_ = KilnHandle<IDataStream>::Retain(stream);
    decoder_ = decoder ? KilnHandle<IGraphicsPlugin>::Retain(decoder)
                       : KilnHandle<IGraphicsPlugin>::Adopt(new (std::nothrow) CBMPLoader);
    // On failure the stream and decoder stay held until the next Load.
    if (!decoder_ || !decoder_->Load(stream))
        return false;
    loaded_ = true;
    return true;
}

void CStdGraphicsLoader::CopyPixels(void* destination, int32_t width, int32_t height, bool dxt5)
{
    if (loaded_)
        decoder_->CopyPixels(destination, width, height, dxt5);
}

void CStdGraphicsLoader::Unload()
{
    if (!loaded_)
        return;
    decoder_->Unload();
    decoder_.Reset();
    loaded_ = false;
}

}  // namespace Kiln
