#pragma once

#include <cstdint>

#include "kiln/base/guid.h"
#include "kiln/base/kiln_interface.h"

namespace Kiln {

// A compressor made by the extension service. `destinationLength` holds the capacity on entry
// and the number of bytes produced on success; the caller owns both buffers. On failure the
// destination's contents are undefined.
class ICompress : public IKilnInterface {
public:
    virtual bool Compress(void* destination, uint32_t& destinationLength, const void* source,
                          uint32_t sourceLength) = 0;
    virtual bool Uncompress(void* destination, uint32_t& destinationLength, const void* source,
                            uint32_t sourceLength) = 0;

protected:
    ~ICompress() override = default;
};

// The compressor for ClassId::CompressZlib or ClassId::CompressLzma, with one reference owned
// by the caller; null for any other class id.
ICompress* CreateCompressor(const Guid& classId);

}  // namespace Kiln
