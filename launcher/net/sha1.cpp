#include "launcher/net/sha1.h"

namespace clx {
namespace {

inline uint32_t RotateLeft(uint32_t value, int bits)
{
    return (value << bits) | (value >> (32 - bits));
}

inline uint32_t LoadBigEndian(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | static_cast<uint32_t>(p[2]) << 8 |
           static_cast<uint32_t>(p[3]);
}

inline uint32_t Choose(uint32_t b, uint32_t c, uint32_t d) { return d ^ (b & (c ^ d)); }
inline uint32_t Parity(uint32_t b, uint32_t c, uint32_t d) { return b ^ c ^ d; }
inline uint32_t Majority(uint32_t b, uint32_t c, uint32_t d) { return (b & c) | (d & (b | c)); }

// The message schedule kept as a ring of 16 words.
#define SHA1_W(i) (w[(i) & 15] = RotateLeft(w[((i) + 13) & 15] ^ w[((i) + 8) & 15] ^ w[((i) + 2) & 15] ^ w[(i) & 15], 1))
#define SHA1_STEP(f, k, a, b, c, d, e, word) \
    e += RotateLeft(a, 5) + f(b, c, d) + (k) + (word); \
    b = RotateLeft(b, 30)

// Five steps rotate the roles of the five words back to where they started.
#define SHA1_FIVE(f, k, i, word) \
    SHA1_STEP(f, k, a, b, c, d, e, word(i)); \
    SHA1_STEP(f, k, e, a, b, c, d, word((i) + 1)); \
    SHA1_STEP(f, k, d, e, a, b, c, word((i) + 2)); \
    SHA1_STEP(f, k, c, d, e, a, b, word((i) + 3)); \
    SHA1_STEP(f, k, b, c, d, e, a, word((i) + 4))

#define SHA1_LOADED(i) w[i]

constexpr uint32_t kRound1 = 0x5A827999u;
constexpr uint32_t kRound2 = 0x6ED9EBA1u;
constexpr uint32_t kRound3 = 0x8F1BBCDCu;
constexpr uint32_t kRound4 = 0xCA62C1D6u;

}  // namespace

sha1::state_type sha1::initial_state()
{
    return {0x67452301u, 0xEFCDAB89u, 0x98BADCFEu, 0x10325476u, 0xC3D2E1F0u};
}

void sha1::compress(state_type& state, const uint8_t* blocks, size_t count)
{
    for (; count > 0; --count, blocks += detail::block_feeder::block_size) {
        uint32_t w[16];
        for (int i = 0; i < 16; ++i)
            w[i] = LoadBigEndian(blocks + 4 * i);
        uint32_t a = state[0], b = state[1], c = state[2], d = state[3], e = state[4];

        SHA1_FIVE(Choose, kRound1, 0, SHA1_LOADED);
        SHA1_FIVE(Choose, kRound1, 5, SHA1_LOADED);
        SHA1_FIVE(Choose, kRound1, 10, SHA1_LOADED);
        SHA1_STEP(Choose, kRound1, a, b, c, d, e, w[15]);
        SHA1_STEP(Choose, kRound1, e, a, b, c, d, SHA1_W(16));
        SHA1_STEP(Choose, kRound1, d, e, a, b, c, SHA1_W(17));
        SHA1_STEP(Choose, kRound1, c, d, e, a, b, SHA1_W(18));
        SHA1_STEP(Choose, kRound1, b, c, d, e, a, SHA1_W(19));

        SHA1_FIVE(Parity, kRound2, 20, SHA1_W);
        SHA1_FIVE(Parity, kRound2, 25, SHA1_W);
        SHA1_FIVE(Parity, kRound2, 30, SHA1_W);
        SHA1_FIVE(Parity, kRound2, 35, SHA1_W);

        SHA1_FIVE(Majority, kRound3, 40, SHA1_W);
        SHA1_FIVE(Majority, kRound3, 45, SHA1_W);
        SHA1_FIVE(Majority, kRound3, 50, SHA1_W);
        SHA1_FIVE(Majority, kRound3, 55, SHA1_W);

        SHA1_FIVE(Parity, kRound4, 60, SHA1_W);
        SHA1_FIVE(Parity, kRound4, 65, SHA1_W);
        SHA1_FIVE(Parity, kRound4, 70, SHA1_W);
        SHA1_FIVE(Parity, kRound4, 75, SHA1_W);

        state[0] += a;
        state[1] += b;
        state[2] += c;
        state[3] += d;
        state[4] += e;
    }
}

}  // namespace clx
