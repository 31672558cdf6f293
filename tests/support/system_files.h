#pragma once

#include <string>

// System files a test takes away from the shared Wine prefix, and their restoring.
namespace KilnTest {

// The files tests move aside: the launcher's DirectX check looks for them.
inline constexpr const char* kFilesTestsSetAside[] = {"d3dx9_37.dll", "d3dx10_37.dll"};

// Moves `name` in the system folder to "<name>.aside" for the life of the object. A copy
// left aside by a run that died is put back first.
class SystemFileAside {
public:
    explicit SystemFileAside(const std::string& name);
    ~SystemFileAside();
    SystemFileAside(const SystemFileAside&) = delete;
    SystemFileAside& operator=(const SystemFileAside&) = delete;

    bool Moved() const { return moved_; }

private:
    std::string path_;
    bool moved_ = false;
};

// Puts back every file of kFilesTestsSetAside still lying aside; false if one could not be.
bool RestoreFilesSetAside();

}  // namespace KilnTest
