#include "kiln/image/graphics_loader.h"

#include <new>

#include "kiln/base/class_ids.h"
#include "kiln/file/file_controler.h"
#include "kiln/image/decoder_choice.h"

namespace Kiln {

CGraphicsLoader::CGraphicsLoader(IKilnStd* std, IKilnExt* ext, IFileControler* files)
    : ext_(KilnHandle<IKilnExt>::Retain(ext))
{
    if (std) {
        loader_ = KilnHandle<IStdGraphicsLoader>::Adopt(
            static_cast<IStdGraphicsLoader*>(std->CreateInstance(ClassId::StdGraphicsLoader)));
        fileStream_ = KilnHandle<IStdFileStream>::Adopt(
            static_cast<IStdFileStream*>(std->CreateInstance(ClassId::StdFileStream)));
    }
    stream_ = KilnHandle<CMarlArcPlugin>::Adopt(new (std::nothrow) CMarlArcPlugin(files));
}

bool CGraphicsLoader::Load(const char* name)
{
    if (loaded_ || !loader_ || !stream_ || !name)
        return false;
    if (!stream_->GetFile()->Open(name))
        return false;

    KilnHandle<IGraphicsPlugin> decoder;
    const ImageDecoder kind = DecoderForName(name);
    if (kind != ImageDecoder::Bmp && ext_) {
        const Guid& classId = kind == ImageDecoder::Png ? ClassId::PNGPlugin : ClassId::DDSPlugin;
        decoder = KilnHandle<IGraphicsPlugin>::Adopt(static_cast<IGraphicsPlugin*>(ext_->CreateInstance(classId)));
    }
    if (!loader_->Load(stream_.Get(), decoder.Get()))
        return false;
    loaded_ = true;
    return true;
}

}  // namespace Kiln
