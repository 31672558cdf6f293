#include "kiln/file/byte_stream.h"

#include <gtest/gtest.h>

namespace Kiln {
namespace {

TEST(ByteStreamTest, EmptyStreamReadsNothing)
{
    auto stream = KilnHandle<CByteStream>::Adopt(new CByteStream(std::vector<uint8_t>{}));
    char byte = 'x';
    EXPECT_TRUE(stream->IsEOF());
    EXPECT_EQ(stream->Read(&byte, 1, 1), 0u);
    EXPECT_EQ(byte, 'x');
}

TEST(ByteStreamTest, CountsWholeElementsAndClampsSeeks)
{
    auto stream = KilnHandle<CByteStream>::Adopt(new CByteStream("0123456789", 10));
    char buffer[12] = {};
    EXPECT_EQ(stream->Read(buffer, 4, 3), 2u);
    EXPECT_EQ(std::string(buffer, 10), "0123456789");  // the short tail is copied, not counted
    EXPECT_TRUE(stream->IsEOF());
    stream->Seek(5, kSeekEnd);
    EXPECT_EQ(stream->GetPosition(), 5u);
    stream->Seek(20, kSeekEnd);  // before the start wraps and is clamped to the end
    EXPECT_EQ(stream->GetPosition(), 10u);
    stream->Seek(1, 9);
    EXPECT_EQ(stream->GetPosition(), 10u);
}

}  // namespace
}  // namespace Kiln
