#pragma once

#include <string>
#include <vector>

#include "kiln/core/kiln_interface.h"
#include "kiln/file/file.h"

namespace Kiln {

class IFileControler : public IKilnInterface {
public:
    // A new, closed file object (one reference, owned by the caller).
    virtual IFile* CreateFileObject() = 0;
    // Makes sure a root directory is set; this program has no archive container format, so
    // every name resolves to a plain file under the root directory.
    virtual void AddArchive(const char* path) = 0;
    virtual void SetRootDirectory(const char* path) = 0;
    // Called by the runtime's teardown; nothing is held that needs flushing.
    virtual void Flush() = 0;
};

class CFileControler : public RefCounted<IFileControler> {
public:
    IFile* CreateFileObject() override;
    void AddArchive(const char* path) override;
    void SetRootDirectory(const char* path) override;
    void Flush() override {}

    // The archive paths handed over so far, in order (nothing reads from them).
    const std::vector<std::string>& GetArchives() const { return archives_; }

private:
    std::vector<std::string> archives_;
};

// The process-wide root directory that relative file names are resolved against.
const std::string& GetRootDirectory();

}  // namespace Kiln
