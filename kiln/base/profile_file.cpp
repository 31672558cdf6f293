#include "kiln/base/profile_file.h"

#include <windows.h>

#include <vector>

namespace Kiln::Profile {

std::string ReadString(const std::string& path, const char* section, const char* key,
                       const char* defaultValue, size_t bufferSize)
{
    std::vector<char> buffer(bufferSize, '\0');
    const DWORD length = ::GetPrivateProfileStringA(section, key, defaultValue, buffer.data(),
                                                    static_cast<DWORD>(buffer.size()), path.c_str());
    return std::string(buffer.data(), length);
}

}  // namespace Kiln::Profile
