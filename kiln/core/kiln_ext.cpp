#include "kiln/core/kiln_ext.h"

#include "kiln/core/image_writers.h"
#include "kiln/crypt/compress.h"

namespace Kiln {

IKilnInterface* CKilnExt::CreateInstance(const Guid& classId)
{
    // The image plug-ins and Ogg reader are made here once they exist; the media transform
    // filter is not part of this program.
    return CreateCompressor(classId);
}

bool CKilnExt::WriteBMP(int width, int height, const uint8_t* const* rows, const char* fileName)
{
    return ImageWriters::WriteBMP(width, height, rows, fileName);
}

bool CKilnExt::WriteJPEG(int width, int height, const uint8_t* const* rows, const char* fileName,
                         int quality)
{
    return ImageWriters::WriteJPEG(width, height, rows, fileName, quality);
}

bool CKilnExt::WritePNG(int width, int height, const uint8_t* const* rows, const char* fileName,
                        int level)
{
    return ImageWriters::WritePNG(width, height, rows, fileName, level);
}

}  // namespace Kiln
