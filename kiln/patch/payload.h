#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "kiln/patch/byte_source.h"
#include "kiln/patch/digest.h"
#include "kiln/patch/zstd_codec.h"

// What a patch program carries after its own code: the two versions and one entry per file
// or folder that changes. All numbers little-endian.
namespace Kiln::Patch {

enum class EntryKind : uint8_t {
    kAddFile = 1,
    kChangeFile = 2,
    kRemoveFile = 3,
    kAddFolder = 4,
    kRemoveFolder = 5,
};

struct Entry {
    EntryKind kind = EntryKind::kAddFile;
    Method method = Method::kWhole;  // added and changed files only
    std::string name;                // UTF-8, '/' between parts
    uint64_t oldSize = 0;
    uint64_t newSize = 0;
    Sha256 oldHash{};  // changed and removed files
    Sha256 newHash{};  // added and changed files
    Bytes data;        // added and changed files
    // An entry read from a patch file leaves `data` empty and says where its contents lie in
    // the file instead: they are read as they are applied, so no patch is held in memory whole.
    std::shared_ptr<ByteSource> file;
    uint64_t fileOffset = 0;
    uint64_t fileSize = 0;
};

// An entry's contents, wherever they lie, and how many bytes they take.
SourceReader ContentsOf(const Entry& entry);
uint64_t ContentsSize(const Entry& entry);

struct Payload {
    std::string fromVersion;  // [Game] Version before and after, as System.ini holds them (CP932)
    std::string toVersion;
    bool launcherUpdate = false;  // the patch replaces Launcher.exe
    // The old version's System.ini, to merge with one the launcher has written to since.
    std::string oldSystemIni;
    std::vector<Entry> entries;
};

Bytes WritePayload(const Payload& payload);

// Reads a payload; every count and size is checked against the bytes that remain, every name
// must be a safe relative name. Nothing (and `error` says why) on any fault.
std::optional<Payload> ReadPayload(const uint8_t* data, size_t size, std::string* error = nullptr);

// Reads the payload of a patch program from its file (the trailer says where it lies), its
// entries' contents left in the file. Nothing (and `error` says why) on any fault.
std::optional<Payload> ReadPatchProgram(std::shared_ptr<ByteSource> program, std::string* error = nullptr);

// A patch program: the stub's bytes, the payload, and a trailer (payload offset and size,
// then a magic) at the very end, so the stub finds its payload from its own file's end.
Bytes AppendPayload(const Bytes& stub, const Bytes& payload);

struct PayloadSpan {
    uint64_t offset;
    uint64_t size;
};
constexpr size_t kTrailerSize = 24;

// Where the payload lies, from the last kTrailerSize bytes of a file of `fileSize` bytes.
std::optional<PayloadSpan> ReadTrailer(const uint8_t* trailer, uint64_t fileSize);

}  // namespace Kiln::Patch
