#include "kiln/support/face_name.h"

#include "kiln/base/text.h"

namespace Kiln {

std::string FaceNameBytes(const std::string& name)
{
    size_t length = 0;
    while (length < name.size()) {
        const size_t next = length + (IsShiftJisLeadByte(static_cast<unsigned char>(name[length])) ? 2 : 1);
        if (next > kMaxFaceNameBytes || next > name.size())
            break;
        length = next;
    }
    return name.substr(0, length);
}

}  // namespace Kiln
