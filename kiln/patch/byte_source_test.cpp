#include "kiln/patch/byte_source.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "tests/support/patch_folders.h"

namespace Kiln::Patch {
namespace {

// A file of 5 GiB that takes no room (the system leaves the gap unwritten), with a mark far
// past 4 GiB: the 32-bit builds must reach it too.
TEST(PatchSourceTest, AFileReadsAtOffsetsPastFourGibibytes)
{
    const TestSupport::TempFolder folder("source_large");
    const auto path = folder.Path() / "sparse.bin";
    const uint64_t mark = (uint64_t{9} << 29) + 12345;  // 4.5 GiB and a bit
    const uint64_t size = uint64_t{5} << 30;
    {
        std::FILE* file = std::fopen(path.string().c_str(), "wb");
        ASSERT_NE(file, nullptr);
#ifdef _WIN32
        ASSERT_EQ(_fseeki64(file, static_cast<long long>(mark), SEEK_SET), 0);
#else
        ASSERT_EQ(fseeko(file, static_cast<off_t>(mark), SEEK_SET), 0);
#endif
        std::fputs("mark", file);
#ifdef _WIN32
        ASSERT_EQ(_fseeki64(file, static_cast<long long>(size - 1), SEEK_SET), 0);
#else
        ASSERT_EQ(fseeko(file, static_cast<off_t>(size - 1), SEEK_SET), 0);
#endif
        std::fputc('!', file);
        ASSERT_EQ(std::fclose(file), 0);
    }
    const auto file = ReadableFile::Open(path);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->Size(), size);
    uint8_t bytes[6] = {};
    ASSERT_TRUE(file->ReadAt(mark - 1, bytes, 6));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes), 6), std::string("\0mark\0", 6));
    ASSERT_TRUE(file->ReadAt(size - 1, bytes, 1));  // backwards, after a read further on
    EXPECT_EQ(bytes[0], '!');
    ASSERT_TRUE(file->ReadAt(mark, bytes, 4));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes), 4), "mark");
    EXPECT_FALSE(file->ReadAt(size - 1, bytes, 2));
    EXPECT_FALSE(file->ReadAt(UINT64_MAX, bytes, 2));

    // A span of it, read front to back with the formats' numbers.
    SourceReader span(*file, mark, 6);
    uint64_t number = 0;
    ASSERT_TRUE(span.Number(number, 4));
    EXPECT_EQ(number, 0x6b72616du);  // "mark", little-endian
    EXPECT_EQ(span.Offset(), mark + 4);
    EXPECT_FALSE(span.Number(number, 4));  // two bytes left
    EXPECT_TRUE(span.Skip(2));
    EXPECT_EQ(span.Remaining(), 0u);
}

}  // namespace
}  // namespace Kiln::Patch
