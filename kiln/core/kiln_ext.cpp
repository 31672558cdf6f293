#include "kiln/core/kiln_ext.h"

#include <new>

#include "kiln/base/class_ids.h"
#include "kiln/core/image_writers.h"
#include "kiln/crypt/compress.h"
#include "kiln/image/dds_plugin.h"
#include "kiln/image/png_plugin.h"
#include "kiln/sound/ogg_read.h"

namespace Kiln {

IKilnInterface* CKilnExt::CreateInstance(const Guid& classId)
{
    // The media transform filter is not part of this program.
    if (classId == ClassId::PNGPlugin)
        return new (std::nothrow) CPNGPlugin;
    if (classId == ClassId::DDSPlugin)
        return new (std::nothrow) CDDSPlugin;
    if (classId == ClassId::OGGRead)
        return new (std::nothrow) COGGRead;
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
