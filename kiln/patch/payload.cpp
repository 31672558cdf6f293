#include "kiln/patch/payload.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "kiln/patch/names.h"

namespace Kiln::Patch {
namespace {

constexpr char kPayloadMagic[8] = {'K', 'I', 'L', 'N', 'P', 'A', 'Y', '3'};
constexpr char kTrailerMagic[8] = {'K', 'I', 'L', 'N', 'P', 'T', 'C', 'H'};
constexpr size_t kMaxText = 0xFFFF;

void PutNumber(Bytes& out, uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void PutText(Bytes& out, const std::string& text)
{
    PutNumber(out, text.size(), 2);
    out.insert(out.end(), text.begin(), text.end());
}

bool HasContents(EntryKind kind)
{
    return kind == EntryKind::kAddFile || kind == EntryKind::kChangeFile;
}

bool HasOldContents(EntryKind kind)
{
    return kind == EntryKind::kChangeFile || kind == EntryKind::kRemoveFile;
}

class Reader {
public:
    explicit Reader(SourceReader in) : in_(in) {}

    uint64_t Remaining() const { return in_.Remaining(); }
    bool Number(uint64_t& value, int bytes) { return in_.Number(value, bytes); }
    bool Raw(uint8_t* out, size_t count) { return in_.Read(out, count); }

    bool Text(std::string& text)
    {
        uint64_t length = 0;
        if (!Number(length, 2) || Remaining() < length)
            return false;
        text.resize(static_cast<size_t>(length));
        return Raw(reinterpret_cast<uint8_t*>(text.data()), text.size());
    }

    bool Block(Bytes& block)
    {
        uint64_t length = 0;
        if (!Number(length, 8) || Remaining() < length || length > SIZE_MAX)
            return false;
        block.resize(static_cast<size_t>(length));
        return Raw(block.data(), block.size());
    }

    // An entry's contents: copied into it, or, from a patch file, where they lie there.
    bool Contents(Entry& entry, const std::shared_ptr<ByteSource>& file)
    {
        if (!file)
            return Block(entry.data);
        uint64_t length = 0;
        if (!Number(length, 8))
            return false;
        entry.file = file;
        entry.fileOffset = in_.Offset();
        entry.fileSize = length;
        return in_.Skip(length);
    }

private:
    SourceReader in_;
};

std::optional<Payload> Fail(std::string* error, const std::string& why)
{
    if (error)
        *error = why;
    return std::nullopt;
}

}  // namespace

Bytes WritePayload(const Payload& payload)
{
    Bytes out(std::begin(kPayloadMagic), std::end(kPayloadMagic));
    PutText(out, payload.fromVersion.substr(0, kMaxText));
    PutText(out, payload.toVersion.substr(0, kMaxText));
    PutNumber(out, payload.launcherUpdate ? 1 : 0, 4);
    PutNumber(out, payload.oldSystemIni.size(), 8);
    out.insert(out.end(), payload.oldSystemIni.begin(), payload.oldSystemIni.end());
    PutNumber(out, payload.entries.size(), 4);
    for (const Entry& entry : payload.entries) {
        PutNumber(out, static_cast<uint8_t>(entry.kind), 1);
        PutNumber(out, static_cast<uint8_t>(entry.method), 1);
        PutText(out, entry.name);
        PutNumber(out, entry.oldSize, 8);
        PutNumber(out, entry.newSize, 8);
        out.insert(out.end(), entry.oldHash.begin(), entry.oldHash.end());
        out.insert(out.end(), entry.newHash.begin(), entry.newHash.end());
        PutNumber(out, entry.data.size(), 8);
        out.insert(out.end(), entry.data.begin(), entry.data.end());
    }
    return out;
}

namespace {

// Reads a payload from `in`; with a `file`, entries keep their contents there.
// Memory: under 3 bytes a byte of the payload read from memory (its blocks copied once); from a
// file, the entries' names and hashes only (their contents stay in the file).
std::optional<Payload> ReadFrom(SourceReader in, const std::shared_ptr<ByteSource>& file, std::string* error)
{
    Reader reader(in);
    uint8_t magic[sizeof kPayloadMagic];
    if (!reader.Raw(magic, sizeof magic))
        return Fail(error, "not a patch payload");
    // The same name, another layout: such a patch still applies with its own program.
    if (std::memcmp(magic, kPayloadMagic, sizeof magic - 1) == 0 && magic[7] != kPayloadMagic[7])
        return Fail(error, "a patch of another kiln version; build it again with this one");
    if (std::memcmp(magic, kPayloadMagic, sizeof magic) != 0)
        return Fail(error, "not a patch payload");
    Payload payload;
    uint64_t flags = 0;
    uint64_t count = 0;
    Bytes oldSystemIni;
    if (!reader.Text(payload.fromVersion) || !reader.Text(payload.toVersion) || !reader.Number(flags, 4) ||
        !reader.Block(oldSystemIni) || !reader.Number(count, 4))
        return Fail(error, "truncated header");
    if (flags > 1)
        return Fail(error, "unknown flags");
    payload.launcherUpdate = flags == 1;
    payload.oldSystemIni.assign(oldSystemIni.begin(), oldSystemIni.end());
    // The smallest entry takes 91 bytes: no count may promise more entries than that allows.
    constexpr size_t kMinEntry = 1 + 1 + 2 + 8 + 8 + 32 + 32 + 8;
    if (count > reader.Remaining() / kMinEntry)
        return Fail(error, "entry count larger than the payload");
    // Within a file of gigabytes the count may still promise more entries than memory holds.
    payload.entries.reserve(static_cast<size_t>(std::min<uint64_t>(count, 4096)));
    std::set<std::u16string> folded;  // two entries for one Windows name would undo each other
    for (uint64_t i = 0; i < count; ++i) {
        Entry entry;
        uint64_t kind = 0;
        uint64_t method = 0;
        if (!reader.Number(kind, 1) || !reader.Number(method, 1) || !reader.Text(entry.name) ||
            !reader.Number(entry.oldSize, 8) || !reader.Number(entry.newSize, 8) ||
            !reader.Raw(entry.oldHash.data(), entry.oldHash.size()) ||
            !reader.Raw(entry.newHash.data(), entry.newHash.size()) || !reader.Contents(entry, file))
            return Fail(error, "truncated entry " + std::to_string(i + 1));
        if (kind < 1 || kind > 5)
            return Fail(error, "unknown entry kind in entry " + std::to_string(i + 1));
        entry.kind = static_cast<EntryKind>(kind);
        if (!IsSafeRelativeName(entry.name))
            return Fail(error, "unsafe file name in entry " + std::to_string(i + 1));
        if (!folded.insert(FoldedName(entry.name)).second)
            return Fail(error, "entry " + std::to_string(i + 1) + " names a file an earlier entry names");
        if (HasContents(entry.kind)) {
            if (method != static_cast<uint8_t>(Method::kWhole) && method != static_cast<uint8_t>(Method::kDelta))
                return Fail(error, "unknown method in entry " + std::to_string(i + 1));
            if (method == static_cast<uint8_t>(Method::kDelta) && entry.kind != EntryKind::kChangeFile)
                return Fail(error, "a delta without an old file in entry " + std::to_string(i + 1));
        } else if (method != 0 || ContentsSize(entry) != 0) {
            return Fail(error, "contents on an entry that takes none (entry " + std::to_string(i + 1) + ")");
        }
        if (!HasOldContents(entry.kind) && entry.oldSize != 0)
            return Fail(error, "old size on an entry without old file (entry " + std::to_string(i + 1) + ")");
        entry.method = static_cast<Method>(method);
        payload.entries.push_back(std::move(entry));
    }
    if (reader.Remaining() != 0)
        return Fail(error, "bytes after the last entry");
    return payload;
}

}  // namespace

SourceReader ContentsOf(const Entry& entry)
{
    if (entry.file)
        return SourceReader(*entry.file, entry.fileOffset, entry.fileSize);
    return SourceReader(entry.data.data(), entry.data.size());
}

uint64_t ContentsSize(const Entry& entry)
{
    return entry.file ? entry.fileSize : entry.data.size();
}

std::optional<Payload> ReadPayload(const uint8_t* data, size_t size, std::string* error)
{
    return ReadFrom(SourceReader(data, size), nullptr, error);
}

std::optional<Payload> ReadPatchProgram(std::shared_ptr<ByteSource> program, std::string* error)
{
    uint8_t trailer[kTrailerSize];
    const uint64_t size = program->Size();
    const auto span = size >= kTrailerSize && program->ReadAt(size - kTrailerSize, trailer, kTrailerSize)
                          ? ReadTrailer(trailer, size)
                          : std::nullopt;
    if (!span)
        return Fail(error, "not a patch program");
    return ReadFrom(SourceReader(*program, span->offset, span->size), program, error);
}

Bytes AppendPayload(const Bytes& stub, const Bytes& payload)
{
    Bytes out = stub;
    out.insert(out.end(), payload.begin(), payload.end());
    PutNumber(out, stub.size(), 8);
    PutNumber(out, payload.size(), 8);
    out.insert(out.end(), std::begin(kTrailerMagic), std::end(kTrailerMagic));
    return out;
}

std::optional<PayloadSpan> ReadTrailer(const uint8_t* trailer, uint64_t fileSize)
{
    if (fileSize < kTrailerSize)
        return std::nullopt;
    if (std::memcmp(trailer + 16, kTrailerMagic, sizeof kTrailerMagic) != 0)
        return std::nullopt;
    Reader reader(SourceReader(trailer, 16));
    PayloadSpan span{};
    reader.Number(span.offset, 8);
    reader.Number(span.size, 8);
    const uint64_t room = fileSize - kTrailerSize;
    if (span.offset > room || span.size != room - span.offset)
        return std::nullopt;
    return span;
}

}  // namespace Kiln::Patch
