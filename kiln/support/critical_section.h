#pragma once

#include <windows.h>

namespace Kiln {

class CCriticalSection {
public:
    CCriticalSection() { ::InitializeCriticalSection(&section_); }
    virtual ~CCriticalSection() { ::DeleteCriticalSection(&section_); }
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

    void Enter() { ::EnterCriticalSection(&section_); }
    void Leave() { ::LeaveCriticalSection(&section_); }

private:
    CRITICAL_SECTION section_;
};

// Holds a critical section for its own lifetime; the only way the runtime enters one.
class CKilnAutoLock {
public:
    explicit CKilnAutoLock(CCriticalSection* section) : section_(section) { section_->Enter(); }
    virtual ~CKilnAutoLock() { section_->Leave(); }
    CKilnAutoLock(const CKilnAutoLock&) = delete;
    CKilnAutoLock& operator=(const CKilnAutoLock&) = delete;

private:
    CCriticalSection* section_;
};

}  // namespace Kiln
