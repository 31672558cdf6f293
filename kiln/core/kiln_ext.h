#pragma once

#include <cstdint>

#include "kiln/base/service_interfaces.h"

namespace Kiln {

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
