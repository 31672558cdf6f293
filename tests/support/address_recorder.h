#pragma once

#include <windows.h>

#include <string>

namespace KilnTest {

// A handler for the "kilnbanner:" address scheme in the test prefix that appends every
// address it is given to a file, standing in for the default browser.
class AddressRecorder {
public:
    explicit AddressRecorder(const std::string& file)
    {
        const std::string command = "C:\\windows\\system32\\cmd.exe /c echo %1>>\"" + file + "\"";
        HKEY key = nullptr;
        ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Classes\\kilnbanner", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                          &key, nullptr);
        ::RegSetValueExA(key, "URL Protocol", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
        ::RegCloseKey(key);
        ::RegSetValueA(HKEY_LOCAL_MACHINE, "Software\\Classes\\kilnbanner\\shell\\open\\command", REG_SZ,
                       command.c_str(), static_cast<DWORD>(command.size()));
    }
    ~AddressRecorder() { ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Classes\\kilnbanner"); }
    AddressRecorder(const AddressRecorder&) = delete;
    AddressRecorder& operator=(const AddressRecorder&) = delete;
};

}  // namespace KilnTest
