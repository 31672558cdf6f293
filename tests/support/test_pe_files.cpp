#include "tests/support/test_pe_files.h"

#include <algorithm>
#include <cstddef>

namespace KilnTest {
namespace {

void Put16(std::vector<uint8_t>& bytes, size_t at, uint32_t value)
{
    bytes[at] = static_cast<uint8_t>(value);
    bytes[at + 1] = static_cast<uint8_t>(value >> 8);
}

void Put32(std::vector<uint8_t>& bytes, size_t at, uint32_t value)
{
    for (size_t i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

size_t RoundUp(size_t value, size_t unit)
{
    return (value + unit - 1) / unit * unit;
}

}  // namespace

std::vector<uint8_t> MakePeFile(const PeShape& shape)
{
    constexpr uint32_t kSectionRva = 0x1000;
    const size_t optionalSize = shape.pe32Plus ? 240 : 224;
    const size_t fileHeader = kPeSignatureOffset + 4;
    const size_t optional = fileHeader + 20;
    const size_t sectionTable = optional + optionalSize;

    // The export data: directory, function table, name table, ordinal table, then the texts.
    const uint32_t count = static_cast<uint32_t>(shape.exports.size());
    const uint32_t functions = 40;
    const uint32_t names = functions + 4 * count;
    const uint32_t ordinals = names + 4 * count;
    const uint32_t texts = ordinals + 2 * count;
    std::vector<uint8_t> data(texts);
    const std::string libraryName = "Engine.dll";
    Put32(data, 12, kSectionRva + texts);  // Name
    data.insert(data.end(), libraryName.begin(), libraryName.end());
    data.push_back(0);
    Put32(data, 16, 1);  // Base
    Put32(data, 20, count);
    Put32(data, 24, count);
    Put32(data, 28, kSectionRva + functions);
    Put32(data, 32, kSectionRva + names);
    Put32(data, 36, kSectionRva + ordinals);
    for (uint32_t i = 0; i < count; ++i) {
        Put32(data, functions + 4 * i, 0x2000 + 16 * i);
        Put32(data, names + 4 * i, kSectionRva + static_cast<uint32_t>(data.size()));
        Put16(data, ordinals + 2 * i, i);
        data.insert(data.end(), shape.exports[i].begin(), shape.exports[i].end());
        data.push_back(0);
    }
    const size_t rawSize = RoundUp(data.size(), 0x200);

    std::vector<uint8_t> bytes(kPeExportDataOffset + rawSize);
    bytes[0] = 'M';
    bytes[1] = 'Z';
    Put32(bytes, 0x3C, kPeSignatureOffset);
    bytes[kPeSignatureOffset] = 'P';
    bytes[kPeSignatureOffset + 1] = 'E';

    Put16(bytes, fileHeader, shape.machine);
    Put16(bytes, fileHeader + 2, 1);  // one section
    Put16(bytes, fileHeader + 16, static_cast<uint32_t>(optionalSize));
    Put16(bytes, fileHeader + 18, 0x0002 | (shape.dll ? 0x2000 : 0) | (shape.pe32Plus ? 0x0020 : 0x0100));

    Put16(bytes, optional, shape.pe32Plus ? 0x20B : 0x10B);
    Put32(bytes, optional + 32, 0x1000);  // SectionAlignment
    Put32(bytes, optional + 36, 0x200);   // FileAlignment
    Put32(bytes, optional + 56, static_cast<uint32_t>(kSectionRva + RoundUp(data.size(), 0x1000)));  // SizeOfImage
    Put32(bytes, optional + 60, static_cast<uint32_t>(kPeExportDataOffset));  // SizeOfHeaders
    const size_t directories = optional + (shape.pe32Plus ? 112 : 96);
    Put32(bytes, directories - 4, 16);  // NumberOfRvaAndSizes
    if (count > 0) {
        Put32(bytes, directories, kSectionRva);
        Put32(bytes, directories + 4, static_cast<uint32_t>(data.size()));
    }

    const char sectionName[8] = {'.', 'e', 'd', 'a', 't', 'a', 0, 0};
    for (size_t i = 0; i < 8; ++i)
        bytes[sectionTable + i] = static_cast<uint8_t>(sectionName[i]);
    Put32(bytes, sectionTable + 8, static_cast<uint32_t>(data.size()));
    Put32(bytes, sectionTable + 12, kSectionRva);
    Put32(bytes, sectionTable + 16, static_cast<uint32_t>(rawSize));
    Put32(bytes, sectionTable + 20, static_cast<uint32_t>(kPeExportDataOffset));
    Put32(bytes, sectionTable + 36, 0x40000040);  // initialised data, readable

    std::copy(data.begin(), data.end(), bytes.begin() + static_cast<std::ptrdiff_t>(kPeExportDataOffset));
    return bytes;
}

}  // namespace KilnTest
