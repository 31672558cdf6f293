#include "kiln/patch/payload.h"

#include <cstring>
#include <set>

#include "kiln/patch/names.h"

namespace Kiln::Patch {
namespace {

constexpr char kPayloadMagic[8] = {'K', 'I', 'L', 'N', 'P', 'A', 'Y', '2'};
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
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    size_t Remaining() const { return size_ - pos_; }

    bool Number(uint64_t& value, int bytes)
    {
        if (Remaining() < static_cast<size_t>(bytes))
            return false;
        value = 0;
        for (int i = 0; i < bytes; ++i)
            value |= uint64_t{data_[pos_ + i]} << (8 * i);
        pos_ += bytes;
        return true;
    }

    bool Raw(uint8_t* out, size_t count)
    {
        if (Remaining() < count)
            return false;
        std::memcpy(out, data_ + pos_, count);
        pos_ += count;
        return true;
    }

    bool Text(std::string& text)
    {
        uint64_t length = 0;
        if (!Number(length, 2) || Remaining() < length)
            return false;
        text.assign(reinterpret_cast<const char*>(data_ + pos_), static_cast<size_t>(length));
        pos_ += static_cast<size_t>(length);
        return true;
    }

    bool Block(Bytes& block)
    {
        uint64_t length = 0;
        if (!Number(length, 8) || Remaining() < length)
            return false;
        block.assign(data_ + pos_, data_ + pos_ + static_cast<size_t>(length));
        pos_ += static_cast<size_t>(length);
        return true;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
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

// Memory: under 3 bytes a byte of the payload (its blocks copied once, entries reserved at most one per 91 bytes).
std::optional<Payload> ReadPayload(const uint8_t* data, size_t size, std::string* error)
{
    Reader reader(data, size);
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
    payload.entries.reserve(static_cast<size_t>(count));
    std::set<std::u16string> folded;  // two entries for one Windows name would undo each other
    for (uint64_t i = 0; i < count; ++i) {
        Entry entry;
        uint64_t kind = 0;
        uint64_t method = 0;
        if (!reader.Number(kind, 1) || !reader.Number(method, 1) || !reader.Text(entry.name) ||
            !reader.Number(entry.oldSize, 8) || !reader.Number(entry.newSize, 8) ||
            !reader.Raw(entry.oldHash.data(), entry.oldHash.size()) ||
            !reader.Raw(entry.newHash.data(), entry.newHash.size()) || !reader.Block(entry.data))
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
        } else if (method != 0 || !entry.data.empty()) {
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
    Reader reader(trailer, 16);
    PayloadSpan span{};
    reader.Number(span.offset, 8);
    reader.Number(span.size, 8);
    const uint64_t room = fileSize - kTrailerSize;
    if (span.offset > room || span.size != room - span.offset)
        return std::nullopt;
    return span;
}

}  // namespace Kiln::Patch
