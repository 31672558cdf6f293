#pragma once

#include <cstdint>

#include "kiln/core/guid.h"
#include "kiln/core/kiln_interface.h"

namespace Kiln {

// The extension service: compressors, image plug-ins, the Ogg reader and image writers.
class IKilnExt : public IKilnInterface {
public:
    virtual IKilnInterface* CreateInstance(const Guid& classId) = 0;
    // Rows are `height` pointers to `width` pixels of 3 bytes R, G, B.
    virtual bool WriteBMP(int width, int height, const uint8_t* const* rows, const char* fileName) = 0;
    // quality -1 means 80
    virtual bool WriteJPEG(int width, int height, const uint8_t* const* rows, const char* fileName,
                           int quality) = 0;
    // level -1 means 6
    virtual bool WritePNG(int width, int height, const uint8_t* const* rows, const char* fileName,
                          int level) = 0;
};

class CKilnExt : public RefCounted<IKilnExt> {
public:
    IKilnInterface* CreateInstance(const Guid& classId) override;
    bool WriteBMP(int width, int height, const uint8_t* const* rows, const char* fileName) override;
    bool WriteJPEG(int width, int height, const uint8_t* const* rows, const char* fileName,
                   int quality) override;
    bool WritePNG(int width, int height, const uint8_t* const* rows, const char* fileName,
                  int level) override;
};

}  // namespace Kiln
