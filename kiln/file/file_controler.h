#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "kiln/base/kiln_interface.h"
#include "kiln/file/file.h"

namespace Kiln {

class IFileControler : public IKilnInterface {
public:
    // A new, closed file object (one reference, owned by the caller).
    virtual IFile* CreateFileObject() = 0;
    // Makes sure a root directory is set; this program has no archive container format, so
    // every name resolves to a plain file under the root directory.
    virtual void AddArchive(const char* path) = 0;
    // Kept in the interface for its callers; there is no archive table to refresh.
    virtual void Refresh() = 0;
    virtual void SetRootDirectory(const char* path) = 0;
    // Called by the runtime's teardown; nothing is held that needs flushing.
    virtual void Flush() = 0;
    // This program keeps no file cache: nothing is ever cached and the size is not used.
    virtual uint32_t GetCachedFileCount() = 0;
    virtual void SetCacheSize(uint32_t bytes) = 0;
};

class CFileControler : public RefCounted<IFileControler> {
public:
    // `programDirectory` becomes the root directory when an archive is added before any root
    // was set.
    explicit CFileControler(std::string programDirectory = {}) : programDirectory_(std::move(programDirectory)) {}

    IFile* CreateFileObject() override;
    void AddArchive(const char* path) override;
    void Refresh() override {}
    void SetRootDirectory(const char* path) override;
    void Flush() override {}
    uint32_t GetCachedFileCount() override { return 0; }
    void SetCacheSize(uint32_t) override {}

    // The archive paths handed over so far, in order (nothing reads from them).
    const std::vector<std::string>& GetArchives() const { return archives_; }

private:
    std::string programDirectory_;
    std::vector<std::string> archives_;
};

// The process-wide root directory that relative file names are resolved against.
const std::string& GetRootDirectory();

}  // namespace Kiln
