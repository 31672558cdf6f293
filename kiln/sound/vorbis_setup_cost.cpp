#include "kiln/sound/vorbis_setup_cost.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include <ogg/ogg.h>

// The reads below follow libvorbis 1.3's header parsers field by field, so that each cost is
// counted at the bit where libvorbis would allocate it, and parsing stops where it stops.
namespace Kiln::VorbisHeaders {
namespace {

constexpr uint64_t KiB = 1024;
constexpr int kMaxFloorPosts = 63;

int BitsFor(uint64_t value)
{
    int bits = 0;
    for (; value; value >>= 1)
        ++bits;
    return bits;
}

// libvorbis's bit reader; -1 once the packet is exhausted.
class Bits {
public:
    Bits(const uint8_t* data, size_t size) : size_(size)
    {
        oggpack_readinit(&buffer_, const_cast<unsigned char*>(data), static_cast<long>(size));
    }
    long Read(int bits) { return oggpack_read(&buffer_, bits); }
    // Whole bytes not yet started.
    long BytesLeft() { return static_cast<long>(size_) - oggpack_bytes(&buffer_); }
    // Skips `count` fields of `bits` bits; false when the packet ends first.
    bool Skip(uint64_t count, int bits)
    {
        long last = 0;
        for (uint64_t i = 0; i < count; ++i)
            last = Read(bits);
        return count == 0 || last != -1;
    }

private:
    oggpack_buffer buffer_;
    size_t size_;
};

struct Book {
    uint32_t dim;
    uint32_t entries;
    bool mapped;
};

// The greatest v with v^dim <= entries, as the decoder works it out for lookup type 1.
uint64_t QuantValues(uint64_t entries, uint64_t dim)
{
    if (entries == 0 || dim == 0)
        return 0;
    const auto fits = [&](uint64_t v) {
        uint64_t product = 1;
        for (uint64_t i = 0; i < dim; ++i) {
            if (product > entries / v)
                return false;
            product *= v;
        }
        return true;
    };
    auto values = std::max<uint64_t>(1, static_cast<uint64_t>(std::floor(std::pow(double(entries), 1.0 / double(dim)))));
    while (values > 1 && !fits(values))
        --values;
    while (fits(values + 1))
        ++values;
    return values;
}

enum class Step { kGoOn, kStop, kRefuse };

// One codebook. Stop where the decoder gives up (what it took so far is counted).
Step ReadBook(Bits& bits, uint64_t& cost, std::vector<Book>& books)
{
    if (bits.Read(24) != 0x564342)
        return Step::kStop;
    const long dim = bits.Read(16);
    const long entries = bits.Read(24);
    if (entries == -1 || BitsFor(static_cast<uint32_t>(dim)) + BitsFor(static_cast<uint32_t>(entries)) > 24)
        return Step::kStop;
    if (static_cast<uint64_t>(entries) > kMaxBookEntries)
        return Step::kRefuse;
    const auto n = static_cast<uint64_t>(entries);
    cost += n + 64;  // the lengths
    uint64_t used = 0;
    switch (bits.Read(1)) {
    case 0: {
        const long sparse = bits.Read(1);
        if (static_cast<long>((n * (sparse ? 1 : 5) + 7) >> 3) > bits.BytesLeft())
            return Step::kStop;
        for (uint64_t i = 0; i < n; ++i) {
            if (sparse && !bits.Read(1))
                continue;
            if (bits.Read(5) == -1)
                return Step::kStop;
            ++used;
        }
        break;
    }
    case 1: {
        long length = bits.Read(5) + 1;
        if (length == 0)
            return Step::kStop;
        for (uint64_t i = 0; i < n; ++length) {
            const long run = bits.Read(BitsFor(n - i));
            if (run == -1 || length > 32 || static_cast<uint64_t>(run) > n - i ||
                (run > 0 && ((run - 1) >> (length - 1)) > 1))
                return Step::kStop;
            i += static_cast<uint64_t>(run);
        }
        used = n;
        break;
    }
    default:
        return Step::kStop;
    }

    const long lookup = bits.Read(4);
    bool mapped = false;
    if (lookup == 1 || lookup == 2) {
        bits.Read(32);
        bits.Read(32);
        const long quantBits = bits.Read(4) + 1;
        if (bits.Read(1) == -1)
            return Step::kStop;
        const uint64_t values = lookup == 1 ? QuantValues(n, static_cast<uint64_t>(dim)) : n * static_cast<uint64_t>(dim);
        if (static_cast<long>((values * static_cast<uint64_t>(quantBits) + 7) >> 3) > bits.BytesLeft())
            return Step::kStop;
        cost += values * sizeof(long) + 64;
        if (!bits.Skip(values, static_cast<int>(quantBits)))
            return Step::kStop;
        mapped = true;
    } else if (lookup != 0) {
        return Step::kStop;
    }
    // Decoding tables: codewords (twice while sorting), entry indexes, lengths, the first-
    // lookup table, and the unpacked values of a book with a lookup.
    cost += used * (4 + 4 + 4 + 4 + 1) + 1024 + 256;
    if (mapped)
        cost += used * static_cast<uint64_t>(dim) * 4;
    books.push_back({static_cast<uint32_t>(dim), static_cast<uint32_t>(n), mapped});
    return Step::kGoOn;
}

bool IsMappedBook(long index, const std::vector<Book>& books)
{
    return index >= 0 && static_cast<size_t>(index) < books.size() && books[static_cast<size_t>(index)].mapped &&
           books[static_cast<size_t>(index)].dim >= 1;
}

Step ReadFloor0(Bits& bits, const std::vector<Book>& books, uint32_t blocksize, uint64_t& cost)
{
    const long order = bits.Read(8);
    const long rate = bits.Read(16);
    const long barkmap = bits.Read(16);
    bits.Read(6);
    bits.Read(8);
    const long count = bits.Read(4) + 1;
    if (order < 1 || rate < 1 || barkmap < 1 || count < 1)
        return Step::kStop;
    for (long j = 0; j < count; ++j) {
        if (!IsMappedBook(bits.Read(8), books))
            return Step::kStop;
    }
    // Its look-up maps one entry per half block, for both block sizes.
    cost += 4 * KiB + 2 * (blocksize / 2 + 1) * 4;
    return Step::kGoOn;
}

Step ReadFloor1(Bits& bits, const std::vector<Book>& books, uint64_t& cost)
{
    const long partitions = bits.Read(5);
    long classOf[32] = {};
    long maxClass = -1;
    for (long j = 0; j < partitions; ++j) {
        classOf[j] = bits.Read(4);
        if (classOf[j] < 0)
            return Step::kStop;
        maxClass = std::max(maxClass, classOf[j]);
    }
    long classDim[16] = {};
    for (long j = 0; j <= maxClass; ++j) {
        classDim[j] = bits.Read(3) + 1;
        const long subs = bits.Read(2);
        if (subs < 0)
            return Step::kStop;
        const long master = subs ? bits.Read(8) : 0;
        if (master < 0 || static_cast<size_t>(master) >= books.size())
            return Step::kStop;
        for (long k = 0; k < (1 << subs); ++k) {
            const long sub = bits.Read(8) - 1;
            if (sub < -1 || sub >= static_cast<long>(books.size()))
                return Step::kStop;
        }
    }
    bits.Read(2);
    const long rangeBits = bits.Read(4);
    if (rangeBits < 0)
        return Step::kStop;
    std::vector<long> posts = {0, 1L << rangeBits};
    long count = 0;
    for (long j = 0; j < partitions; ++j) {
        count += classDim[classOf[j]];
        if (count > kMaxFloorPosts)
            return Step::kStop;
        while (static_cast<long>(posts.size()) < count + 2) {
            const long post = bits.Read(static_cast<int>(rangeBits));
            if (post < 0 || post >= (1L << rangeBits))
                return Step::kStop;
            posts.push_back(post);
        }
    }
    std::sort(posts.begin(), posts.end());
    if (std::adjacent_find(posts.begin(), posts.end()) != posts.end())
        return Step::kStop;
    cost += 8 * KiB;
    return Step::kGoOn;
}

Step ReadResidue(Bits& bits, const std::vector<Book>& books, uint64_t& cost)
{
    bits.Read(24);
    bits.Read(24);
    bits.Read(24);
    const long partitions = bits.Read(6) + 1;
    const long groupBook = bits.Read(8);
    if (groupBook < 0)
        return Step::kStop;
    cost += 4 * KiB;
    long stagesAcc = 0;
    uint64_t stageBooks = 0;
    for (long j = 0; j < partitions; ++j) {
        long cascade = bits.Read(3);
        const long more = bits.Read(1);
        if (more < 0)
            return Step::kStop;
        if (more) {
            const long high = bits.Read(5);
            if (high < 0)
                return Step::kStop;
            cascade |= high << 3;
        }
        for (long v = cascade; v; v >>= 1)
            stagesAcc += v & 1;
        stageBooks += static_cast<uint64_t>(BitsFor(static_cast<uint64_t>(cascade)));
    }
    std::vector<long> stageList;
    for (long j = 0; j < stagesAcc; ++j) {
        const long book = bits.Read(8);
        if (book < 0)
            return Step::kStop;
        stageList.push_back(book);
    }
    if (static_cast<size_t>(groupBook) >= books.size())
        return Step::kStop;
    for (const long book : stageList) {
        if (static_cast<size_t>(book) >= books.size() || !books[static_cast<size_t>(book)].mapped)
            return Step::kStop;
    }
    // Partition words: partitions^dim of them, each an array of dim entries.
    const Book& group = books[static_cast<size_t>(groupBook)];
    if (group.dim < 1)
        return Step::kStop;
    uint64_t words = 1;
    for (uint32_t d = 0; d < group.dim; ++d) {
        words *= static_cast<uint64_t>(partitions);
        if (words > group.entries)
            return Step::kStop;
    }
    cost += static_cast<uint64_t>(partitions) * 8 + stageBooks * 8 + words * (8 + 32 + uint64_t{group.dim} * 4);
    return Step::kGoOn;
}

uint64_t Total(uint64_t cost, int channels, uint32_t blocksize)
{
    // Mappings and modes (at most 64 of each, a few hundred bytes apiece), and the decoding
    // state: per channel, the block being built and the one being returned, and the block's
    // work arrays, all of long blocks.
    return cost + 256 * KiB + uint64_t(channels) * blocksize * 4 * 6 + 64 * KiB;
}

}  // namespace

std::optional<uint64_t> SetupCost(const uint8_t* packet, size_t size, int channels, uint32_t blocksize)
{
    Bits bits(packet, size);
    uint64_t cost = 0;
    if (bits.Read(8) != 5 || size < 7 || std::memcmp(packet + 1, "vorbis", 6) != 0)
        return 0;
    bits.Skip(6, 8);

    std::vector<Book> books;
    const long bookCount = bits.Read(8) + 1;
    for (long i = 0; i < bookCount; ++i) {
        const Step step = ReadBook(bits, cost, books);
        if (step == Step::kRefuse)
            return std::nullopt;
        if (step == Step::kStop)
            return Total(cost, channels, blocksize);
    }

    const long times = bits.Read(6) + 1;
    for (long i = 0; i < times; ++i) {
        if (bits.Read(16) != 0)
            return Total(cost, channels, blocksize);
    }
    const long floors = bits.Read(6) + 1;
    for (long i = 0; i < floors; ++i) {
        const long type = bits.Read(16);
        const Step step = type == 0   ? ReadFloor0(bits, books, blocksize, cost)
                          : type == 1 ? ReadFloor1(bits, books, cost)
                                      : Step::kStop;
        if (step != Step::kGoOn)
            return Total(cost, channels, blocksize);
    }
    const long residues = bits.Read(6) + 1;
    for (long i = 0; i < residues; ++i) {
        const long type = bits.Read(16);
        if (type < 0 || type > 2 || ReadResidue(bits, books, cost) != Step::kGoOn)
            break;
    }
    return Total(cost, channels, blocksize);
}

}  // namespace Kiln::VorbisHeaders
