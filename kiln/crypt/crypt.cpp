#include "kiln/crypt/crypt.h"

#include "kiln/base/little_endian.h"
#include "kiln/crypt/random_sfmt.h"

namespace Kiln {

void CCrypt::GenerateKeyTable(uint32_t seed)
{
    CRandom_SFMT random;
    random.Init(seed);
    for (uint32_t& entry : keyTable_)
        entry = random.Next();
}

void CCrypt::SetIndex(int index)
{
    index_ = ((index % kKeyTableSize) + kKeyTableSize) % kKeyTableSize;
}

void CCrypt::XorStream(void* buffer, unsigned length, uint32_t seed)
{
    CRandom_SFMT random;
    random.Init(seed);
    auto* bytes = static_cast<uint8_t*>(buffer);
    for (unsigned i = 0; i < length; ++i)
        bytes[i] ^= static_cast<uint8_t>(random.Next());
}

void CCrypt::XorWithKeyTable(void* buffer, unsigned length)
{
    auto* bytes = static_cast<uint8_t*>(buffer);
    const unsigned words = length / 4;
    for (unsigned i = 0; i < words; ++i, bytes += 4) {
        PutLE32(bytes, GetLE32(bytes) ^ keyTable_[index_]);
        index_ = (index_ + 1) % kKeyTableSize;
    }
    const uint32_t entry = keyTable_[index_];
    for (unsigned k = 0; k < length % 4; ++k)
        bytes[k] ^= static_cast<uint8_t>(entry >> (8 * k));
}

}  // namespace Kiln
