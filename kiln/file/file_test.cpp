#include "kiln/file/file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "kiln/file/file_controler.h"
#include "kiln/support/debug_log.h"
#include "tests/support/game_folder.h"

namespace Kiln {
namespace {

// Files under a game folder that serves as the root directory.
class FileTest : public ::testing::Test {
protected:
    FileTest() : folder_(std::string("file_") + ::testing::UnitTest::GetInstance()->current_test_info()->name())
    {
        controler_->SetRootDirectory(folder_.Path().c_str());
        ::CreateDirectoryA(folder_.PathOf("Data").c_str(), nullptr);
    }

    KilnHandle<IFile> NewFile() { return KilnHandle<IFile>::Adopt(controler_->CreateFileObject()); }

    KilnHandle<IFileControler> controler_ = KilnHandle<IFileControler>::Adopt(new CFileControler);
    KilnTest::GameFolder folder_;
};

std::string ReadAll(IFile& file, uint32_t length)
{
    std::string bytes(length, '\0');
    bytes.resize(file.Read(bytes.data(), length));
    return bytes;
}

TEST_F(FileTest, RelativeNamesOpenUnderTheRootWithEitherSlash)
{
    folder_.Write("Data\\Top.bmp", "0123456789");
    auto file = NewFile();
    ASSERT_TRUE(file->Open("Data/Top.bmp"));
    EXPECT_EQ(file->GetSize(), 10u);
    EXPECT_EQ(ReadAll(*file, 10), "0123456789");
    ASSERT_TRUE(file->Open("Data\\Top.bmp"));
    EXPECT_EQ(file->GetPosition(), 0u);
}

TEST_F(FileTest, AbsoluteNamesIgnoreTheRoot)
{
    folder_.Write("abs.txt", "abc");
    std::string path = folder_.PathOf("abs.txt");
    for (char& c : path)
        c = c == '\\' ? '/' : c;
    controler_->SetRootDirectory("C:\\nowhere\\");
    auto file = NewFile();
    ASSERT_TRUE(file->Open(path.c_str()));
    EXPECT_EQ(ReadAll(*file, 100), "abc");
}

TEST_F(FileTest, FailureIsLoggedWithTheLowerCasedDisplayName)
{
    auto file = NewFile();
    EXPECT_FALSE(file->Open("Data/Top.bmp"));
    EXPECT_TRUE(file->IsEOF());
    EXPECT_EQ(file->GetSize(), 0u);
    std::string log = GetLogText();
    const std::string line = "ファイルが読めない:data\\top.bmp\n";
    ASSERT_GE(log.size(), line.size());
    EXPECT_EQ(log.substr(log.size() - line.size()), line);

    // ア (83 41) keeps its trail byte while the letters around it are lowered
    EXPECT_FALSE(file->Open("X\x83\x41/Y.BMP"));
    log = GetLogText();
    const std::string shiftJisLine = "ファイルが読めない:x\x83\x41\\y.bmp\n";
    EXPECT_EQ(log.substr(log.size() - shiftJisLine.size()), shiftJisLine);
}

// Sizes the file object cannot hold fail like a missing file: 4 GiB and more on every build
// (sizes are 32-bit), and on i686 also 3 GiB, more than the process can address at once.
TEST_F(FileTest, FilesTooLargeToHoldFailLikeMissingOnes)
{
    std::vector<uint64_t> sizes = {uint64_t{4} << 30, (uint64_t{4} << 30) + 10};
    if (sizeof(void*) == 4)
        sizes.push_back(uint64_t{3} << 30);
    for (const uint64_t size : sizes) {
        folder_.WriteSparse("Huge.png", size);
        auto file = NewFile();
        EXPECT_FALSE(file->Open("Huge.png")) << size;
        EXPECT_EQ(file->GetSize(), 0u) << size;
        EXPECT_TRUE(file->IsEOF()) << size;
        const std::string log = GetLogText();
        const std::string line = "ファイルが読めない:huge.png\n";
        ASSERT_GE(log.size(), line.size());
        EXPECT_EQ(log.substr(log.size() - line.size()), line) << size;
    }
}

TEST_F(FileTest, EmptyFileIsAtItsEndAtOnce)
{
    folder_.Write("empty.bin", "");
    auto file = NewFile();
    ASSERT_TRUE(file->Open("empty.bin"));
    EXPECT_EQ(file->GetSize(), 0u);
    EXPECT_TRUE(file->IsEOF());
    char byte = 'x';
    EXPECT_EQ(file->Read(&byte, 1), 0u);
    EXPECT_EQ(byte, 'x');
}

TEST_F(FileTest, ReadsAndSeeksStayInsideTheFile)
{
    folder_.Write("ten.bin", "0123456789");
    auto file = NewFile();
    ASSERT_TRUE(file->Open("ten.bin"));
    EXPECT_EQ(ReadAll(*file, 4), "0123");
    file->Seek(8);
    EXPECT_EQ(ReadAll(*file, 4), "89");  // cut at the end
    EXPECT_TRUE(file->IsEOF());
    EXPECT_EQ(ReadAll(*file, 4), "");
    file->Seek(3);
    EXPECT_FALSE(file->IsEOF());
    // A length that would overflow the position reads only what is left. The buffer is small
    // on purpose: a 32-bit process cannot hold one of that length, and nothing past the file's
    // seven remaining bytes may be written.
    char buffer[16];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(file->Read(buffer, 0xFFFFFFFFu), 7u);
    EXPECT_EQ(std::string(buffer, sizeof buffer), "3456789#########");
    file->Seek(0xFFFFFFFFu);  // "negative" positions end at the end
    EXPECT_EQ(file->GetPosition(), 10u);
    file->Seek(10);
    EXPECT_TRUE(file->IsEOF());
}

TEST_F(FileTest, ReopeningReplacesTheContents)
{
    folder_.Write("a.bin", "aaaa");
    folder_.Write("b.bin", "bb");
    auto file = NewFile();
    ASSERT_TRUE(file->Open("a.bin"));
    file->Seek(2);
    ASSERT_TRUE(file->Open("b.bin"));
    EXPECT_EQ(file->GetSize(), 2u);
    EXPECT_EQ(ReadAll(*file, 10), "bb");
    EXPECT_FALSE(file->Open("missing.bin"));  // a failed open leaves it closed
    EXPECT_EQ(file->GetSize(), 0u);
    EXPECT_TRUE(file->IsEOF());
    file->Seek(1);
    EXPECT_EQ(file->GetPosition(), 0u);
}

TEST_F(FileTest, OpenFileStaysReadableByOthers)
{
    // The file is read whole and closed at once: writers are never locked out.
    folder_.Write("shared.bin", "one");
    auto file = NewFile();
    ASSERT_TRUE(file->Open("shared.bin"));
    folder_.Write("shared.bin", "two!");
    EXPECT_EQ(ReadAll(*file, 10), "one");
}

TEST(FileControlerTest, MakesClosedFilesAndKeepsTheRootDirectory)
{
    auto controler = KilnHandle<IFileControler>::Adopt(new CFileControler("C:\\Program\\"));
    auto file = KilnHandle<IFile>::Adopt(controler->CreateFileObject());
    ASSERT_TRUE(file);
    EXPECT_EQ(file->GetRefCount(), 1u);
    EXPECT_TRUE(file->IsEOF());
    EXPECT_EQ(file->GetSize(), 0u);

    // an archive only makes sure there is a root: the program directory
    controler->SetRootDirectory("");
    controler->AddArchive("C:\\elsewhere\\packages\\a.pak");
    EXPECT_EQ(GetRootDirectory(), "C:\\Program\\");
    controler->SetRootDirectory("D:\\Game\\");
    controler->AddArchive("b.pak");
    EXPECT_EQ(GetRootDirectory(), "D:\\Game\\");

    controler->Refresh();
    controler->Flush();
    controler->SetCacheSize(512u << 20);
    EXPECT_EQ(controler->GetCachedFileCount(), 0u);
    EXPECT_EQ(GetRootDirectory(), "D:\\Game\\");
}

}  // namespace
}  // namespace Kiln
