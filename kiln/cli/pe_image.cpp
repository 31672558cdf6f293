#include "kiln/cli/pe_image.h"

#include "kiln/base/little_endian.h"

namespace KilnCli {
namespace {

// Large enough for any real library, small enough that a hostile count costs nothing.
constexpr uint32_t kMaxExportNames = 65536;
constexpr size_t kMaxNameLength = 4096;

constexpr uint16_t kFileCharacteristicDll = 0x2000;
constexpr uint16_t kMagicPe32 = 0x10B;
constexpr uint16_t kMagicPe32Plus = 0x20B;

// Bounds-checked little-endian reads; offsets are 64-bit so no sum of file fields wraps.
class Reader {
public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}

    bool Has(uint64_t offset, uint64_t size) const { return offset <= bytes_.size() && size <= bytes_.size() - offset; }
    uint16_t U16(uint64_t offset) const { return Kiln::GetLE16(At(offset)); }
    uint32_t U32(uint64_t offset) const { return Kiln::GetLE32(At(offset)); }
    std::string_view From(uint64_t offset) const { return bytes_.substr(static_cast<size_t>(offset)); }

private:
    const uint8_t* At(uint64_t offset) const
    {
        return reinterpret_cast<const uint8_t*>(bytes_.data()) + static_cast<size_t>(offset);
    }
    std::string_view bytes_;
};

struct Section {
    uint32_t virtualAddress;
    uint32_t rawSize;
    uint32_t rawOffset;
};

// The file offset of `size` bytes at `rva`, when one section's file data holds them all.
std::optional<uint64_t> FileOffset(const std::vector<Section>& sections, const Reader& reader, uint32_t rva,
                                   uint64_t size)
{
    for (const Section& section : sections) {
        if (rva < section.virtualAddress)
            continue;
        const uint64_t within = uint64_t{rva} - section.virtualAddress;
        if (within > section.rawSize || size > section.rawSize - within)
            continue;
        const uint64_t offset = uint64_t{section.rawOffset} + within;
        if (reader.Has(offset, size))
            return offset;
    }
    return std::nullopt;
}

std::optional<std::string> NameAt(const std::vector<Section>& sections, const Reader& reader, uint32_t rva)
{
    const auto offset = FileOffset(sections, reader, rva, 1);
    if (!offset)
        return std::nullopt;
    const std::string_view rest = reader.From(*offset).substr(0, kMaxNameLength + 1);
    const size_t end = rest.find('\0');
    if (end == std::string_view::npos)
        return std::nullopt;
    return std::string(rest.substr(0, end));
}

bool ReadExportNames(const std::vector<Section>& sections, const Reader& reader, uint32_t directoryRva,
                     std::vector<std::string>& names)
{
    constexpr uint64_t kDirectorySize = 40;
    const auto directory = FileOffset(sections, reader, directoryRva, kDirectorySize);
    if (!directory)
        return false;
    const uint32_t count = reader.U32(*directory + 24);
    const uint32_t namesRva = reader.U32(*directory + 32);
    if (count == 0)
        return true;
    if (count > kMaxExportNames)
        return false;
    const auto table = FileOffset(sections, reader, namesRva, uint64_t{count} * 4);
    if (!table)
        return false;
    // Memory: the table's entries (4 bytes of file each) and names of at most the file's size in all.
    names.reserve(count);
    uint64_t nameBytes = 0;
    for (uint32_t i = 0; i < count; ++i) {
        auto name = NameAt(sections, reader, reader.U32(*table + uint64_t{i} * 4));
        if (!name)
            return false;
        // A linker writes each name once; names sharing their bytes over and over are forged.
        nameBytes += name->size() + 1;
        if (!reader.Has(0, nameBytes))
            return false;
        names.push_back(std::move(*name));
    }
    return true;
}

std::optional<PeImage> Fail(PeError* error, PeError why)
{
    if (error)
        *error = why;
    return std::nullopt;
}

}  // namespace

const char* Describe(PeError error)
{
    switch (error) {
    case PeError::kNone:
        return "no error";
    case PeError::kNotPe:
        return "not a Windows program file";
    case PeError::kTruncated:
        return "cut short";
    case PeError::kBadExportTable:
        return "its export table is damaged";
    }
    return "unknown error";
}

std::optional<PeImage> ReadPeImage(std::string_view bytes, PeError* error)
{
    if (error)
        *error = PeError::kNone;
    const Reader reader(bytes);
    constexpr uint64_t kDosHeaderSize = 64;
    if (!reader.Has(0, kDosHeaderSize) || bytes.substr(0, 2) != "MZ")
        return Fail(error, PeError::kNotPe);
    const uint64_t signature = reader.U32(0x3C);
    if (!reader.Has(signature, 4) || bytes.substr(static_cast<size_t>(signature), 4) != std::string_view("PE\0\0", 4))
        return Fail(error, PeError::kNotPe);

    constexpr uint64_t kFileHeaderSize = 20;
    const uint64_t fileHeader = signature + 4;
    if (!reader.Has(fileHeader, kFileHeaderSize))
        return Fail(error, PeError::kTruncated);
    PeImage image;
    image.machine = reader.U16(fileHeader);
    const uint16_t sectionCount = reader.U16(fileHeader + 2);
    const uint16_t optionalSize = reader.U16(fileHeader + 16);
    image.isDll = (reader.U16(fileHeader + 18) & kFileCharacteristicDll) != 0;

    const uint64_t optional = fileHeader + kFileHeaderSize;
    if (optionalSize < 2 || !reader.Has(optional, optionalSize))
        return Fail(error, PeError::kTruncated);
    const uint16_t magic = reader.U16(optional);
    if (magic != kMagicPe32 && magic != kMagicPe32Plus)
        return Fail(error, PeError::kNotPe);
    image.isPe32Plus = magic == kMagicPe32Plus;
    // NumberOfRvaAndSizes, then the data directories; the export directory comes first.
    const uint64_t directoryCountAt = image.isPe32Plus ? 108 : 92;
    const uint64_t firstDirectory = directoryCountAt + 4;
    uint32_t exportRva = 0;
    if (optionalSize >= firstDirectory + 8 && reader.U32(optional + directoryCountAt) >= 1)
        exportRva = reader.U32(optional + firstDirectory);

    constexpr uint64_t kSectionHeaderSize = 40;
    const uint64_t sectionTable = optional + optionalSize;
    if (!reader.Has(sectionTable, uint64_t{sectionCount} * kSectionHeaderSize))
        return Fail(error, PeError::kTruncated);
    std::vector<Section> sections;
    sections.reserve(sectionCount);
    for (uint64_t i = 0; i < sectionCount; ++i) {
        const uint64_t header = sectionTable + i * kSectionHeaderSize;
        sections.push_back({reader.U32(header + 12), reader.U32(header + 16), reader.U32(header + 20)});
    }

    if (exportRva != 0 && !ReadExportNames(sections, reader, exportRva, image.exportNames))
        return Fail(error, PeError::kBadExportTable);
    return image;
}

}  // namespace KilnCli
