#pragma once

#include <cstdint>

namespace Kiln {

// A keystream cipher over SFMT-19937: either a 128-word key table applied word by word, or a
// byte stream of generator outputs. XOR both ways: applying it again restores the data.
class ICrypt {
public:
    virtual void GenerateKeyTable(uint32_t seed) = 0;
    virtual void SetIndex(int index) = 0;
    virtual void XorStream(void* buffer, unsigned length, uint32_t seed) = 0;
    virtual void XorWithKeyTable(void* buffer, unsigned length) = 0;
    virtual int GetKeyTableSize() = 0;
    virtual ~ICrypt() = default;
};

class CCrypt : public ICrypt {
public:
    static constexpr int kKeyTableSize = 128;

    void GenerateKeyTable(uint32_t seed) override;
    // Any index, negative ones too, lands in 0..127.
    void SetIndex(int index) override;
    void XorStream(void* buffer, unsigned length, uint32_t seed) override;
    // Whole little-endian words advance the index; a tail of 1-3 bytes uses the current entry
    // without advancing, so pieces of whole words can follow one another.
    void XorWithKeyTable(void* buffer, unsigned length) override;
    int GetKeyTableSize() override { return kKeyTableSize; }

private:
    int index_ = 0;
    uint32_t keyTable_[kKeyTableSize] = {};
};

}  // namespace Kiln
