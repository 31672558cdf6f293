#pragma once

#include <string>

#include "kiln/core/kiln_interface.h"

namespace Kiln {

class IFileControler : public IKilnInterface {
public:
    // Makes sure a root directory is set; this program has no archive container format, so
    // every name resolves to a plain file under the root directory.
    virtual void AddArchive(const char* path) = 0;
    virtual void SetRootDirectory(const char* path) = 0;
    // Called by the runtime's teardown; nothing is held that needs flushing.
    virtual void Flush() = 0;
};

class CFileControler : public RefCounted<IFileControler> {
public:
    void AddArchive(const char* path) override;
    void SetRootDirectory(const char* path) override;
    void Flush() override {}
};

// The process-wide root directory that relative file names are resolved against.
const std::string& GetRootDirectory();

}  // namespace Kiln
