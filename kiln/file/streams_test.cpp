#include <gtest/gtest.h>

#include "kiln/file/file_controler.h"
#include "kiln/file/marl_arc_plugin.h"
#include "kiln/file/std_file_stream.h"
#include "tests/support/game_folder.h"

namespace Kiln {
namespace {

// Both streams over the same ten bytes of a real file.
class StreamsTest : public ::testing::Test {
protected:
    StreamsTest() : folder_(std::string("streams_") + ::testing::UnitTest::GetInstance()->current_test_info()->name())
    {
        folder_.Write("ten.bin", "0123456789");
        folder_.Write("three.bin", "abc");
        folder_.Write("empty.bin", "");
    }

    KilnHandle<CMarlArcPlugin> Plugin(const char* file)
    {
        auto plugin = KilnHandle<CMarlArcPlugin>::Adopt(new CMarlArcPlugin(files_.Get()));
        EXPECT_TRUE(plugin->GetFile()->Open(folder_.PathOf(file).c_str()));
        return plugin;
    }

    KilnHandle<IStdFileStream> NewStdStream()
    {
        return KilnHandle<IStdFileStream>::Adopt(new CStdFileStream);
    }

    KilnHandle<IFileControler> files_ = KilnHandle<IFileControler>::Adopt(new CFileControler);
    KilnTest::GameFolder folder_;
};

TEST_F(StreamsTest, PluginCountsOnlyWholeElements)
{
    auto plugin = Plugin("ten.bin");
    EXPECT_EQ(plugin->GetSize(), 10u);
    char buffer[16] = {};
    EXPECT_EQ(plugin->Read(buffer, 4, 3), 2u);
    EXPECT_EQ(std::string(buffer, 8), "01234567");
    EXPECT_TRUE(plugin->IsEOF());  // the short third element was consumed
    EXPECT_EQ(plugin->GetPosition(), 10u);
    EXPECT_EQ(plugin->Read(buffer, 1, 0), 0u);
}

TEST(StreamsWithoutRuntimeTest, PluginStillReadsAFile)
{
    KilnTest::GameFolder folder("streams_without_runtime");
    folder.Write("two.bin", "xy");
    auto plugin = KilnHandle<CMarlArcPlugin>::Adopt(new CMarlArcPlugin(nullptr));
    ASSERT_TRUE(plugin->GetFile()->Open(folder.PathOf("two.bin").c_str()));
    char buffer[2] = {};
    EXPECT_EQ(plugin->Read(buffer, 2, 1), 1u);
    EXPECT_EQ(std::string(buffer, 2), "xy");
}

TEST_F(StreamsTest, EmptyFilesAreAtTheirEndAtOnce)
{
    char c = 'x';
    auto plugin = Plugin("empty.bin");
    EXPECT_TRUE(plugin->IsEOF());
    EXPECT_EQ(plugin->GetSize(), 0u);
    EXPECT_EQ(plugin->Read(&c, 1, 1), 0u);
    plugin->Seek(1, kSeekEnd);
    EXPECT_EQ(plugin->GetPosition(), 0u);

    auto stream = NewStdStream();
    ASSERT_TRUE(stream->OpenFile(folder_.PathOf("empty.bin").c_str()));
    EXPECT_TRUE(stream->IsEOF());
    EXPECT_EQ(stream->GetSize(), 0u);
    EXPECT_EQ(stream->Read(&c, 1, 1), 0u);
    EXPECT_EQ(c, 'x');
}

TEST_F(StreamsTest, PluginSeeksClampToTheSize)
{
    auto plugin = Plugin("three.bin");
    plugin->Seek(5, kSeekEnd);  // 3 - 5 wraps and is clamped
    EXPECT_EQ(plugin->GetPosition(), 3u);
    plugin->Seek(1, kSeekEnd);
    EXPECT_EQ(plugin->GetPosition(), 2u);
    plugin->Seek(-1, kSeekCurrent);
    EXPECT_EQ(plugin->GetPosition(), 1u);
    plugin->Seek(-2, kSeekCurrent);  // before the start wraps to a huge offset: the end
    EXPECT_EQ(plugin->GetPosition(), 3u);
    plugin->Seek(1, kSeekBegin);
    plugin->Seek(0, 3);  // unknown origin
    EXPECT_EQ(plugin->GetPosition(), 1u);
    char c = 0;
    EXPECT_EQ(plugin->Read(&c, 1, 1), 1u);
    EXPECT_EQ(c, 'b');
}

TEST_F(StreamsTest, StdStreamCopiesThePartialTailButCountsWholeElements)
{
    for (bool memory : {true, false}) {
        const std::string bytes = "0123456789";
        auto stream = NewStdStream();
        ASSERT_TRUE(memory ? stream->OpenMemory(bytes.data(), 10) : stream->OpenFile(folder_.PathOf("ten.bin").c_str()));
        char buffer[16] = {};
        EXPECT_EQ(stream->Read(buffer, 4, 3), 2u) << memory;
        EXPECT_EQ(std::string(buffer, 10), bytes) << memory;
        EXPECT_TRUE(stream->IsEOF());
        EXPECT_EQ(stream->Read(buffer, 1, 1), 0u);
        stream->Seek(6, kSeekBegin);
        EXPECT_EQ(stream->Read(buffer, 2, 1), 1u);
        EXPECT_EQ(std::string(buffer, 2), "67") << memory;
        EXPECT_EQ(stream->Read(buffer, 0, 5), 0u);
        EXPECT_EQ(stream->Read(buffer, 5, 0), 0u);
    }
}

TEST_F(StreamsTest, StdStreamSeeksClampToTheSize)
{
    for (bool memory : {true, false}) {
        auto stream = NewStdStream();
        ASSERT_TRUE(memory ? stream->OpenMemory("abc", 3) : stream->OpenFile(folder_.PathOf("three.bin").c_str()));
        stream->Seek(5, kSeekEnd);
        EXPECT_EQ(stream->GetPosition(), 3u);
        stream->Seek(2, kSeekEnd);
        char c = 0;
        EXPECT_EQ(stream->Read(&c, 1, 1), 1u);
        EXPECT_EQ(c, 'b') << memory;  // the file pointer follows the position
        stream->Seek(100, kSeekBegin);
        EXPECT_TRUE(stream->IsEOF());
        stream->Seek(0, 7);
        EXPECT_EQ(stream->GetPosition(), 3u);
    }
}

TEST_F(StreamsTest, StdStreamOpensOnceAndClosesCleanly)
{
    auto stream = NewStdStream();
    EXPECT_FALSE(stream->OpenMemory(nullptr, 4));
    EXPECT_FALSE(stream->OpenMemory("x", 0));
    EXPECT_FALSE(stream->OpenFile(folder_.PathOf("missing.bin").c_str()));
    // the name is used as given, never under the root directory
    EXPECT_FALSE(stream->OpenFile("ten.bin"));
    ASSERT_TRUE(stream->OpenMemory("xyz", 3));
    EXPECT_FALSE(stream->OpenMemory("xyz", 3));
    EXPECT_FALSE(stream->OpenFile(folder_.PathOf("ten.bin").c_str()));
    stream->Close();
    EXPECT_EQ(stream->GetSize(), 0u);
    EXPECT_EQ(stream->Read(nullptr, 1, 1), 0u);
    stream->Seek(1, kSeekBegin);
    EXPECT_EQ(stream->GetPosition(), 0u);
    ASSERT_TRUE(stream->OpenFile(folder_.PathOf("ten.bin").c_str()));
    EXPECT_EQ(stream->GetSize(), 10u);
}

TEST_F(StreamsTest, StdStreamRefusesFilesBeyondItsSizes)
{
    folder_.WriteSparse("huge.bin", (uint64_t{4} << 30) + 10);  // would read as 10 bytes
    auto stream = NewStdStream();
    EXPECT_FALSE(stream->OpenFile(folder_.PathOf("huge.bin").c_str()));
    EXPECT_EQ(stream->GetSize(), 0u);
}

}  // namespace
}  // namespace Kiln
