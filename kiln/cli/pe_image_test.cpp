#include "kiln/cli/pe_image.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "tests/support/test_pe_files.h"

namespace KilnCli {
namespace {

using KilnTest::MakePeFile;
using KilnTest::PeShape;

std::string AsText(const std::vector<uint8_t>& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

void Put32(std::string& bytes, size_t at, uint32_t value)
{
    for (size_t i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<char>(value >> (8 * i));
}

TEST(PeImageTest, ReadsMachineKindAndExportNames)
{
    struct Case {
        const char* what;
        PeShape shape;
        uint16_t machine;
        bool dll;
        bool pe32Plus;
        std::vector<std::string> exports;
    };
    const Case cases[] = {
        {"i386 library", {0x014C, true, false, {"RunEngine"}}, 0x014C, true, false, {"RunEngine"}},
        {"decorated export", {0x014C, true, false, {"_RunEngine@8"}}, 0x014C, true, false, {"_RunEngine@8"}},
        {"x64 library", {0x8664, true, true, {"RunEngine", "Other"}}, 0x8664, true, true, {"RunEngine", "Other"}},
        {"program", {0x014C, false, false, {}}, 0x014C, false, false, {}},
        {"no exports", {0x014C, true, false, {}}, 0x014C, true, false, {}},
    };
    for (const Case& c : cases) {
        PeError error = PeError::kTruncated;
        const auto image = ReadPeImage(AsText(MakePeFile(c.shape)), &error);
        ASSERT_TRUE(image) << c.what << ": " << Describe(error);
        EXPECT_EQ(error, PeError::kNone) << c.what;
        EXPECT_EQ(image->machine, c.machine) << c.what;
        EXPECT_EQ(image->isDll, c.dll) << c.what;
        EXPECT_EQ(image->isPe32Plus, c.pe32Plus) << c.what;
        EXPECT_EQ(image->exportNames, c.exports) << c.what;
    }
}

TEST(PeImageTest, RefusesDamagedFilesWithTheReason)
{
    const std::string good = AsText(MakePeFile({0x014C, true, false, {"RunEngine"}}));
    const size_t fileHeader = KilnTest::kPeSignatureOffset + 4;
    const size_t exportDirectory = KilnTest::kPeExportDataOffset;
    struct Case {
        const char* what;
        std::function<void(std::string&)> damage;
        PeError error;
    };
    const Case cases[] = {
        {"empty", [](std::string& b) { b.clear(); }, PeError::kNotPe},
        {"text file", [](std::string& b) { b = std::string(200, 'x'); }, PeError::kNotPe},
        {"no MZ", [](std::string& b) { b[0] = 'Z'; }, PeError::kNotPe},
        {"shorter than the DOS header", [](std::string& b) { b.resize(63); }, PeError::kNotPe},
        {"signature offset past the end", [](std::string& b) { Put32(b, 0x3C, 0xFFFFFFF0u); }, PeError::kNotPe},
        {"wrong signature", [](std::string& b) { b[KilnTest::kPeSignatureOffset + 2] = 'X'; }, PeError::kNotPe},
        {"cut in the file header", [=](std::string& b) { b.resize(fileHeader + 10); }, PeError::kTruncated},
        {"cut in the optional header", [=](std::string& b) { b.resize(fileHeader + 100); }, PeError::kTruncated},
        {"optional header size past the end",
         [=](std::string& b) { b[fileHeader + 16] = '\xFF'; b[fileHeader + 17] = '\xFF'; }, PeError::kTruncated},
        {"section count past the end", [=](std::string& b) { b[fileHeader + 2] = '\x50'; }, PeError::kTruncated},
        {"unknown optional header magic", [=](std::string& b) { b[fileHeader + 20] = 0x07; }, PeError::kNotPe},
        {"export data cut off", [=](std::string& b) { b.resize(exportDirectory + 20); }, PeError::kBadExportTable},
        {"name count beyond the section", [=](std::string& b) { Put32(b, exportDirectory + 24, 0x10000); },
         PeError::kBadExportTable},
        {"hostile name count", [=](std::string& b) { Put32(b, exportDirectory + 24, 0xFFFFFFFFu); },
         PeError::kBadExportTable},
        {"name table outside every section", [=](std::string& b) { Put32(b, exportDirectory + 32, 0xFFFFFFFCu); },
         PeError::kBadExportTable},
        {"name without its end",
         [=](std::string& b) {
             const size_t name = b.find("RunEngine");
             b.resize(name + 3);
             // The section still claims its full size; the file no longer holds it.
         },
         PeError::kBadExportTable},
        {"names sharing one long name, more text than the file holds",
         [=](std::string& b) {
             PeShape shared{0x014C, true, false, std::vector<std::string>(64)};
             shared.exports[0].assign(1024, 'A');
             b = AsText(MakePeFile(shared));
             // The name table follows the directory and the 64 entries of the function table.
             const size_t names = exportDirectory + 40 + 4 * 64;
             for (size_t i = 1; i < 64; ++i)
                 b.replace(names + 4 * i, 4, b, names, 4);
         },
         PeError::kBadExportTable},
    };
    for (const Case& c : cases) {
        std::string bytes = good;
        c.damage(bytes);
        PeError error = PeError::kNone;
        EXPECT_FALSE(ReadPeImage(bytes, &error)) << c.what;
        EXPECT_EQ(error, c.error) << c.what;
    }
}

}  // namespace
}  // namespace KilnCli
