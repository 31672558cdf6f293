#include "kiln/crypt/random_sfmt.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Kiln {
namespace {

// The published SFMT-19937 parameter set: 156 words of 128 bits.
constexpr int kWords128 = CRandom_SFMT::kStateWords / 4;
constexpr int kPos1 = 122;
constexpr int kSl1 = 18;
constexpr int kSl2 = 1;  // bytes
constexpr int kSr1 = 11;
constexpr int kSr2 = 1;  // bytes
constexpr uint32_t kMask[4] = {0xDFFFFFEFu, 0xDDFECB7Fu, 0xBFFAFFFFu, 0xBFFFFFF6u};
constexpr uint32_t kParity[4] = {0x00000001u, 0x00000000u, 0x00000000u, 0x13C9E684u};

struct Word128 {
    uint32_t u[4];
};

// A 128-bit word as two 64-bit halves, shifted by whole bytes.
Word128 ShiftLeftBytes(const uint32_t* in, int bytes)
{
    const uint64_t high = (uint64_t{in[3]} << 32) | in[2];
    const uint64_t low = (uint64_t{in[1]} << 32) | in[0];
    const uint64_t outHigh = (high << (bytes * 8)) | (low >> (64 - bytes * 8));
    const uint64_t outLow = low << (bytes * 8);
    return {{static_cast<uint32_t>(outLow), static_cast<uint32_t>(outLow >> 32),
             static_cast<uint32_t>(outHigh), static_cast<uint32_t>(outHigh >> 32)}};
}

Word128 ShiftRightBytes(const uint32_t* in, int bytes)
{
    const uint64_t high = (uint64_t{in[3]} << 32) | in[2];
    const uint64_t low = (uint64_t{in[1]} << 32) | in[0];
    const uint64_t outHigh = high >> (bytes * 8);
    const uint64_t outLow = (low >> (bytes * 8)) | (high << (64 - bytes * 8));
    return {{static_cast<uint32_t>(outLow), static_cast<uint32_t>(outLow >> 32),
             static_cast<uint32_t>(outHigh), static_cast<uint32_t>(outHigh >> 32)}};
}

// r = a ^ (a << SL2 bytes) ^ ((b >> SR1) & mask) ^ (c >> SR2 bytes) ^ (d << SL1), in place of a.
void Recurse(uint32_t* a, const uint32_t* b, const uint32_t* c, const uint32_t* d)
{
    const Word128 x = ShiftLeftBytes(a, kSl2);
    const Word128 y = ShiftRightBytes(c, kSr2);
    for (int k = 0; k < 4; ++k)
        a[k] = a[k] ^ x.u[k] ^ ((b[k] >> kSr1) & kMask[k]) ^ y.u[k] ^ (d[k] << kSl1);
}

void CertifyPeriod(uint32_t* state)
{
    uint32_t inner = 0;
    for (int i = 0; i < 4; ++i)
        inner ^= state[i] & kParity[i];
    for (int shift = 16; shift > 0; shift >>= 1)
        inner ^= inner >> shift;
    if (inner & 1)
        return;
    // Flip the lowest bit that the parity vector names.
    for (int i = 0; i < 4; ++i) {
        for (int bit = 0; bit < 32; ++bit) {
            const uint32_t work = uint32_t{1} << bit;
            if (work & kParity[i]) {
                state[i] ^= work;
                return;
            }
        }
    }
}

}  // namespace

namespace Sfmt {

void InitState(uint32_t* state, uint32_t seed)
{
    state[0] = seed;
    for (int i = 1; i < CRandom_SFMT::kStateWords; ++i) {
        const uint32_t previous = state[i - 1];
        state[i] = 1812433253u * (previous ^ (previous >> 30)) + static_cast<uint32_t>(i);
    }
    CertifyPeriod(state);
}

void RegeneratePortable(uint32_t* state)
{
    const uint32_t* r1 = state + 4 * (kWords128 - 2);
    const uint32_t* r2 = state + 4 * (kWords128 - 1);
    for (int i = 0; i < kWords128; ++i) {
        uint32_t* word = state + 4 * i;
        const int other = i < kWords128 - kPos1 ? i + kPos1 : i + kPos1 - kWords128;
        Recurse(word, state + 4 * other, r1, r2);
        r1 = r2;
        r2 = word;
    }
}

#if defined(__SSE2__)
namespace {

inline __m128i RecurseSse2(__m128i a, __m128i b, __m128i c, __m128i d, __m128i mask)
{
    const __m128i y = _mm_and_si128(_mm_srli_epi32(b, kSr1), mask);
    __m128i z = _mm_xor_si128(_mm_srli_si128(c, kSr2), a);
    z = _mm_xor_si128(z, _mm_slli_epi32(d, kSl1));
    z = _mm_xor_si128(z, _mm_slli_si128(a, kSl2));
    return _mm_xor_si128(z, y);
}

}  // namespace

void RegenerateSse2(uint32_t* state)
{
    // Unaligned loads cost nothing on aligned data and keep any caller's buffer safe.
    auto* words = reinterpret_cast<__m128i*>(state);
    const __m128i mask = _mm_set_epi32(static_cast<int>(kMask[3]), static_cast<int>(kMask[2]),
                                       static_cast<int>(kMask[1]), static_cast<int>(kMask[0]));
    __m128i r1 = _mm_loadu_si128(words + kWords128 - 2);
    __m128i r2 = _mm_loadu_si128(words + kWords128 - 1);
    int i = 0;
    for (; i < kWords128 - kPos1; ++i) {
        const __m128i r = RecurseSse2(_mm_loadu_si128(words + i), _mm_loadu_si128(words + i + kPos1), r1, r2, mask);
        _mm_storeu_si128(words + i, r);
        r1 = r2;
        r2 = r;
    }
    for (; i < kWords128; ++i) {
        const __m128i r = RecurseSse2(_mm_loadu_si128(words + i),
                                      _mm_loadu_si128(words + i + kPos1 - kWords128), r1, r2, mask);
        _mm_storeu_si128(words + i, r);
        r1 = r2;
        r2 = r;
    }
}
#endif

}  // namespace Sfmt

void CRandom_SFMT::Init(uint32_t seed)
{
    Sfmt::InitState(state_, seed);
    index_ = kStateWords;
}

void CRandom_SFMT::Regenerate()
{
#if defined(__SSE2__)
    Sfmt::RegenerateSse2(state_);
#else
    Sfmt::RegeneratePortable(state_);
#endif
}

}  // namespace Kiln
