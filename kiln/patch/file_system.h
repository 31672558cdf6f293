#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "kiln/patch/byte_source.h"
#include "kiln/patch/digest.h"
#include "kiln/patch/zstd_codec.h"

// The few file operations applying a patch needs, over names relative to the game folder.
// Every change goes through here, so tests can stop or fail a run at any single step.
namespace Kiln::Patch {

class FileSystem {
public:
    virtual ~FileSystem() = default;
    virtual bool Exists(const std::string& name) = 0;
    virtual bool IsFolder(const std::string& name) = 0;
    virtual std::optional<Bytes> Read(const std::string& name) = 0;
    virtual std::optional<Sha256> Hash(const std::string& name) = 0;
    // A file opened for reading at any offset; null when it cannot be opened. Each call opens
    // it anew, so two threads can each read through their own.
    virtual std::unique_ptr<ByteSource> Open(const std::string& name) = 0;
    // Creates or replaces a file with the bytes `produce` hands to its sink, piece by piece, and
    // waits until the disk holds them. Fails, leaving the file incomplete, when `produce` or
    // the sink does.
    using Sink = std::function<bool(const uint8_t* data, size_t size)>;
    using Producer = std::function<bool(const Sink& sink)>;
    virtual bool WriteFrom(const std::string& name, const Producer& produce) = 0;
    bool Write(const std::string& name, const Bytes& bytes)
    {
        return WriteFrom(name, [&bytes](const Sink& sink) { return sink(bytes.data(), bytes.size()); });
    }
    // Renames a file; fails when `to` exists.
    virtual bool Rename(const std::string& from, const std::string& to) = 0;
    // Renames a file over another in one step: either the old `to` or the new one, never none.
    virtual bool Replace(const std::string& from, const std::string& to) = 0;
    // Removes a file; true when it is gone (or never was).
    virtual bool Remove(const std::string& name) = 0;
    // Makes a folder; true when it exists afterwards.
    virtual bool MakeFolder(const std::string& name) = 0;
    // Removes an empty folder; true when it is gone (or never was), false when it holds anything.
    virtual bool RemoveFolder(const std::string& name) = 0;
    // Bytes free on the folder's disk; nothing when unknown.
    virtual std::optional<uint64_t> FreeSpace() = 0;
};

// The real folder. Nothing is read or written through a link: where a name expects a file or
// a folder below the root, a symbolic link, junction or other reparse point makes the call fail
// (and Exists say that something is there). The root itself is taken as given.
// On Windows, where the patch program may run elevated in a folder whose parts someone else
// can change, each call opens the parts of a name one by one from the handle of the folder
// above, holding those folders open without delete sharing until it is done, so that none can
// be swapped for a link meanwhile; the root stays open, and so in place, while this object
// lives. Elsewhere (nothing there runs elevated) each part is looked at before the call.
class DiskFileSystem : public FileSystem {
public:
    explicit DiskFileSystem(std::filesystem::path root);
    ~DiskFileSystem() override;
    DiskFileSystem(const DiskFileSystem&) = delete;
    DiskFileSystem& operator=(const DiskFileSystem&) = delete;
    bool Exists(const std::string& name) override;
    bool IsFolder(const std::string& name) override;
    std::optional<Bytes> Read(const std::string& name) override;
    std::optional<Sha256> Hash(const std::string& name) override;
    std::unique_ptr<ByteSource> Open(const std::string& name) override;
    bool WriteFrom(const std::string& name, const Producer& produce) override;
    bool Rename(const std::string& from, const std::string& to) override;
    bool Replace(const std::string& from, const std::string& to) override;
    bool Remove(const std::string& name) override;
    bool MakeFolder(const std::string& name) override;
    bool RemoveFolder(const std::string& name) override;
    std::optional<uint64_t> FreeSpace() override;

private:
    struct Held;
    bool Move(const std::string& from, const std::string& to, bool replace);
    std::filesystem::path root_;
    std::unique_ptr<Held> held_;  // Windows: the root's handle, opened at first use
};

}  // namespace Kiln::Patch

namespace Kiln::Patch {

// Passes every call on to `inner`, calling `beforeChange` before each call that changes
// something (a write, rename or replace, and a removal of what exists).
class WatchedFileSystem : public FileSystem {
public:
    WatchedFileSystem(FileSystem& inner, std::function<void()> beforeChange)
        : inner_(inner), beforeChange_(std::move(beforeChange))
    {
    }
    bool Exists(const std::string& name) override { return inner_.Exists(name); }
    bool IsFolder(const std::string& name) override { return inner_.IsFolder(name); }
    std::optional<Bytes> Read(const std::string& name) override { return inner_.Read(name); }
    std::optional<Sha256> Hash(const std::string& name) override { return inner_.Hash(name); }
    std::unique_ptr<ByteSource> Open(const std::string& name) override { return inner_.Open(name); }
    bool WriteFrom(const std::string& name, const Producer& produce) override
    {
        beforeChange_();
        return inner_.WriteFrom(name, produce);
    }
    bool Rename(const std::string& from, const std::string& to) override
    {
        beforeChange_();
        return inner_.Rename(from, to);
    }
    bool Replace(const std::string& from, const std::string& to) override
    {
        beforeChange_();
        return inner_.Replace(from, to);
    }
    bool Remove(const std::string& name) override
    {
        if (inner_.Exists(name))
            beforeChange_();
        return inner_.Remove(name);
    }
    bool MakeFolder(const std::string& name) override
    {
        if (!inner_.Exists(name))
            beforeChange_();
        return inner_.MakeFolder(name);
    }
    bool RemoveFolder(const std::string& name) override
    {
        if (inner_.Exists(name))
            beforeChange_();
        return inner_.RemoveFolder(name);
    }
    std::optional<uint64_t> FreeSpace() override { return inner_.FreeSpace(); }

private:
    FileSystem& inner_;
    std::function<void()> beforeChange_;
};

}  // namespace Kiln::Patch
