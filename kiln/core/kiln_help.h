#pragma once

#include <windows.h>

#include <deque>
#include <memory>
#include <string>

#include "kiln/base/kiln_interface.h"
#include "kiln/base/singleton.h"

namespace Kiln {

class CGDebug;
class CGFEP;
class IFileControler;
class IKilnD3D;
class IKilnDI;
class IKilnDS;
class IKilnExt;
class IKilnStd;

// The runtime bootstrap: one per process, made first by the program entry and destroyed
// last. It fixes the program directory, owns the services and reads the runtime's part of
// System.ini.
class CKilnHelp : public singleton<CKilnHelp> {
public:
    // Makes the service of an id (one reference, owned by the caller), or null.
    using ServiceMaker = IKilnInterface* (*)(int id);

    // `makeService` is the runtime's factory unless a test passes its own.
    explicit CKilnHelp(HINSTANCE instance, ServiceMaker makeService = nullptr);
    ~CKilnHelp() override;

    // Creates the services and reads System.ini; false when a service cannot be created.
    bool Start();

    // The program file's folder, ending in a backslash.
    const std::string& GetProgramDirectory() const { return programDirectory_; }
    HINSTANCE GetInstanceHandle() const { return instance_; }
    const std::string& GetTitle() const { return title_; }
    const std::string& GetVersion() const { return version_; }
    int GetScreenWidth() const { return screenWidth_; }
    int GetScreenHeight() const { return screenHeight_; }
    int GetMaxScreenWidth() const { return maxScreenWidth_; }
    int GetMaxScreenHeight() const { return maxScreenHeight_; }

    IKilnD3D* GetGraphics() const { return graphics_.Get(); }
    IKilnStd* GetStd() const { return std_.Get(); }
    IKilnExt* GetExt() const { return ext_.Get(); }
    IKilnDS* GetSound() const { return sound_.Get(); }
    IKilnDI* GetInput() const { return input_.Get(); }
    IFileControler* GetFileControler() const { return fileControler_.Get(); }

private:
    bool CreateServices();
    void ReadSystemIni();

    int screenWidth_ = 1280;
    int screenHeight_ = 720;
    int maxScreenWidth_ = 0;
    int maxScreenHeight_ = 0;
    // Objects an engine may park here to have them released with the runtime.
    KilnHandle<IKilnInterface> heldObject_;
    std::deque<KilnHandle<IKilnInterface>> heldQueue_;
    std::string title_;
    std::string version_;
    std::string programDirectory_;
    KilnHandle<IKilnD3D> graphics_;
    KilnHandle<IKilnStd> std_;
    KilnHandle<IKilnExt> ext_;
    KilnHandle<IKilnDS> sound_;
    KilnHandle<IKilnDI> input_;
    KilnHandle<IFileControler> fileControler_;
    HINSTANCE instance_;
    ServiceMaker makeService_;
    std::shared_ptr<CGDebug> debug_;
    std::shared_ptr<CGFEP> inputMethod_;
};

}  // namespace Kiln
