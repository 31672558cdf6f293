#include "kiln/crypt/compress_lzma.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kiln/base/class_ids.h"

namespace Kiln {
namespace {

class CompressLzmaTest : public ::testing::Test {
protected:
    // Compresses into a fresh container, sized generously.
    std::vector<uint8_t> Pack(const std::string& data)
    {
        std::vector<uint8_t> container(data.size() + data.size() / 3 + 128 + CCompress_lzma::kHeaderSize);
        uint32_t length = static_cast<uint32_t>(container.size());
        EXPECT_TRUE(lzma_->Compress(container.data(), length, data.data(), static_cast<uint32_t>(data.size())));
        container.resize(length);
        return container;
    }

    bool Unpack(const std::vector<uint8_t>& container, uint32_t capacity, std::string& out)
    {
        out.assign(capacity, '\0');
        uint32_t length = capacity;
        const bool ok = lzma_->Uncompress(out.data(), length, container.data(),
                                          static_cast<uint32_t>(container.size()));
        out.resize(ok ? length : 0);
        return ok;
    }

    static std::string SampleText()
    {
        std::string text;
        for (int i = 0; i < 5000; ++i)
            text += "entry " + std::to_string(i * 7919 % 1000) + ";";
        return text;
    }

    KilnHandle<ICompress> lzma_ = KilnHandle<ICompress>::Adopt(CreateCompressor(ClassId::CompressLzma));
};

TEST_F(CompressLzmaTest, ContainerHoldsLengthPropertiesAndStream)
{
    const std::string text = SampleText();
    const std::vector<uint8_t> container = Pack(text);
    ASSERT_GT(container.size(), CCompress_lzma::kHeaderSize);
    EXPECT_LT(container.size(), text.size() / 4);
    EXPECT_EQ(CCompress_lzma::StoredLength(container.data(), static_cast<uint32_t>(container.size())),
              text.size());
    // lc 3, lp 0, pb 2 -> (2 * 5 + 0) * 9 + 3 = 0x5D; dictionary 16 MiB little-endian
    const std::vector<uint8_t> props(container.begin() + 4, container.begin() + 9);
    EXPECT_EQ(props, (std::vector<uint8_t>{0x5D, 0x00, 0x00, 0x00, 0x01}));

    std::string out;
    ASSERT_TRUE(Unpack(container, static_cast<uint32_t>(text.size()), out));
    EXPECT_EQ(out, text);
    // spare capacity is fine; the length produced is the stored one
    ASSERT_TRUE(Unpack(container, static_cast<uint32_t>(text.size() + 100), out));
    EXPECT_EQ(out, text);
}

TEST_F(CompressLzmaTest, ZeroBytesMakeAContainerThatUncompressesToNothing)
{
    const std::vector<uint8_t> container = Pack("");
    ASSERT_GE(container.size(), CCompress_lzma::kHeaderSize);
    EXPECT_EQ(std::vector<uint8_t>(container.begin(), container.begin() + 4), std::vector<uint8_t>(4, 0));
    std::string out;
    EXPECT_TRUE(Unpack(container, 0, out));
    EXPECT_EQ(out, "");
    EXPECT_TRUE(Unpack(container, 10, out));
    EXPECT_EQ(out, "");

    // no buffers at all for no data
    uint8_t packed[32];
    uint32_t packedLength = sizeof packed;
    ASSERT_TRUE(lzma_->Compress(packed, packedLength, nullptr, 0));
    EXPECT_EQ(std::vector<uint8_t>(packed, packed + packedLength), container);
    uint32_t length = 0;
    EXPECT_TRUE(lzma_->Uncompress(nullptr, length, packed, packedLength));
    EXPECT_EQ(length, 0u);
}

TEST_F(CompressLzmaTest, CompressFailsWithoutRoom)
{
    const std::string text = SampleText();
    std::vector<uint8_t> container(64);
    for (uint32_t capacity : {0u, 8u, 9u, 64u}) {
        uint32_t length = capacity;
        EXPECT_FALSE(lzma_->Compress(container.data(), length, text.data(), static_cast<uint32_t>(text.size())))
            << capacity;
    }
}

TEST_F(CompressLzmaTest, ShortContainersFailWithoutReadingPastThem)
{
    // Exactly sized heap copies, so a read past the end is caught by the sanitizers.
    const std::vector<uint8_t> container = Pack("abc");
    std::string out;
    for (size_t size = 0; size < CCompress_lzma::kHeaderSize; ++size) {
        const std::vector<uint8_t> shortened(container.begin(), container.begin() + static_cast<long>(size));
        EXPECT_FALSE(Unpack(shortened, 16, out)) << size;
    }
    EXPECT_FALSE(CCompress_lzma::StoredLength(container.data(), 8));
    uint32_t length = 16;
    char buffer[16];
    EXPECT_FALSE(lzma_->Uncompress(buffer, length, nullptr, 0));
}

TEST_F(CompressLzmaTest, LengthFieldThatDisagreesFails)
{
    const std::string text = SampleText();
    std::vector<uint8_t> container = Pack(text);
    std::string out;

    // the stored length must fit the capacity
    EXPECT_FALSE(Unpack(container, static_cast<uint32_t>(text.size() - 1), out));

    // a stored length beyond the stream's data
    std::vector<uint8_t> longer = container;
    longer[0] = static_cast<uint8_t>(longer[0] + 1);
    EXPECT_FALSE(Unpack(longer, static_cast<uint32_t>(text.size() + 10), out));
    // a stored length short of the stream's data
    std::vector<uint8_t> shorter = container;
    shorter[0] = static_cast<uint8_t>(shorter[0] - 1);
    EXPECT_FALSE(Unpack(shorter, static_cast<uint32_t>(text.size() + 10), out));
    // an absurd stored length with a large capacity
    std::vector<uint8_t> huge = container;
    huge[3] = 0x7F;
    EXPECT_FALSE(Unpack(huge, static_cast<uint32_t>(text.size() * 2), out));
}

// A stored length beyond 8192 bytes a byte of stream is refused before anything decodes; the
// encoder's best case, long runs of one byte, stays below it (about 7076 for 256 MiB of zeros).
TEST_F(CompressLzmaTest, LengthsNoStreamCouldDecodeToAreRefused)
{
    const struct {
        uint32_t stored;
        uint32_t containerBytes;
        bool fits;
    } cases[] = {
        {0, 9, true},
        {1, 9, false},
        {8192, 10, true},
        {8193, 10, false},
        {0xFFFFFFFF, 9 + 524288, true},  // 524288 x 8192 = 2^32
        {0xFFFFFFFF, 9 + 524287, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CCompress_lzma::LengthFitsStream(c.stored, c.containerBytes), c.fits) << c.stored;

    const std::string zeros(16 << 20, '\0');
    const std::vector<uint8_t> container = Pack(zeros);
    std::string out;
    ASSERT_TRUE(Unpack(container, static_cast<uint32_t>(zeros.size()), out));
    EXPECT_EQ(out, zeros);

    // Three bytes of stream announcing a megabyte fail even with room for it.
    std::vector<uint8_t> boastful = {0x00, 0x00, 0x10, 0x00, 0x5D, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00};
    EXPECT_FALSE(Unpack(boastful, 1u << 20, out));
}

TEST_F(CompressLzmaTest, TruncatedOrDamagedStreamsFail)
{
    const std::string text = SampleText();
    const std::vector<uint8_t> container = Pack(text);
    std::string out;
    for (size_t cut : {size_t{1}, size_t{5}, container.size() / 2}) {
        const std::vector<uint8_t> truncated(container.begin(), container.end() - static_cast<long>(cut));
        EXPECT_FALSE(Unpack(truncated, static_cast<uint32_t>(text.size()), out)) << cut;
    }
    std::vector<uint8_t> badProps = container;
    badProps[4] = 225;  // lc/lp/pb byte out of range
    EXPECT_FALSE(Unpack(badProps, static_cast<uint32_t>(text.size()), out));

    // The stream has no checksum, but it must end exactly at the stored length: damage shows.
    std::vector<uint8_t> damaged = container;
    damaged[container.size() / 2] ^= 0xFF;
    EXPECT_FALSE(Unpack(damaged, static_cast<uint32_t>(text.size()), out));
}

}  // namespace
}  // namespace Kiln
