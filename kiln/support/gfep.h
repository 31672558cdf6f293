#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "kiln/base/scoped_win.h"
#include "kiln/base/singleton.h"

namespace Kiln {

// Input-method (front-end processor) state holder. The launcher never uses input-method
// composition; the holder keeps its state and working block for the life of the runtime.
class CGFEP : public singleton<CGFEP> {
public:
    static constexpr SIZE_T kBlockSize = 1024;

    CGFEP();

    // The zero-filled working block, locked for the holder's lifetime.
    void* GetBlock() const { return lockedBlock_; }
    HGLOBAL GetBlockHandle() const { return block_.Get(); }

private:
    bool open_ = false;
    bool composing_ = false;
    int32_t cursorPosition_ = 0;
    int32_t deltaStart_ = 0;
    std::string compositionText_;
    std::string resultText_;
    std::string readingText_;
    std::string candidateTitle_;
    std::string statusText_;
    UniqueLockedGlobalMemory block_;
    void* lockedBlock_ = nullptr;
    SIZE_T blockSize_ = kBlockSize;
    uint32_t candidateCount_ = 0;
    uint32_t candidatePageSize_ = 32;
    uint32_t candidateSelection_ = 0;
    uint32_t candidatePageStart_ = 0;
    uint32_t candidateBufferSize_ = 512;
    char candidateText_[513] = {};
    uint32_t candidateOffsets_[8] = {};
};

}  // namespace Kiln
