#include <new>

#include "kiln/base/class_ids.h"
#include "kiln/crypt/compress.h"
#include "kiln/crypt/compress_lzma.h"
#include "kiln/crypt/compress_zlib.h"

namespace Kiln {

ICompress* CreateCompressor(const Guid& classId)
{
    if (classId == ClassId::CompressZlib)
        return new (std::nothrow) CCompress_zlib;
    if (classId == ClassId::CompressLzma)
        return new (std::nothrow) CCompress_lzma;
    return nullptr;
}

}  // namespace Kiln
