#pragma once

#include <cstdint>

namespace Kiln {

// SFMT-19937 (the SIMD-oriented Fast Mersenne Twister): the keystream of the cipher. Its
// 32-bit output sequence is the reference generator's gen_rand32 sequence for the same seed;
// stored sealed texts depend on every word.
class CRandom_SFMT {
public:
    static constexpr int kStateWords = 624;

    CRandom_SFMT() = default;
    virtual ~CRandom_SFMT() = default;

    void Init(uint32_t seed);

    uint32_t Next()
    {
        if (index_ >= kStateWords) {
            Regenerate();
            index_ = 0;
        }
        return state_[index_++];
    }

private:
    void Regenerate();

    alignas(16) uint32_t state_[kStateWords] = {};
    int index_ = kStateWords;
};

namespace Sfmt {
// The seeded state with its period certified (the reference init_gen_rand).
void InitState(uint32_t* state, uint32_t seed);
// The two forms of the state recursion (the reference gen_rand_all); both give the same words.
void RegeneratePortable(uint32_t* state);
#if defined(__SSE2__)
void RegenerateSse2(uint32_t* state);
#endif
}  // namespace Sfmt

}  // namespace Kiln
