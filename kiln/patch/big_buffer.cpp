#include "kiln/patch/big_buffer.h"

#include <new>

// Under AddressSanitizer the ordinary allocator keeps its bounds checks.
#if defined(__linux__) && !defined(__SANITIZE_ADDRESS__)
#define KILN_BIG_BUFFER_MAPPED 1
#include <sys/mman.h>
#endif

namespace Kiln::Patch {

BigBuffer::BigBuffer(size_t size) : size_(size == 0 ? 1 : size)
{
#ifdef KILN_BIG_BUFFER_MAPPED
    void* mapped = ::mmap(nullptr, size_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        return;
    ::madvise(mapped, size_, MADV_HUGEPAGE);  // a hint: without it, ordinary pages
    data_ = static_cast<uint8_t*>(mapped);
#else
    data_ = new (std::nothrow) uint8_t[size_];
#endif
}

BigBuffer::~BigBuffer()
{
#ifdef KILN_BIG_BUFFER_MAPPED
    if (data_)
        ::munmap(data_, size_);
#else
    delete[] data_;
#endif
}

}  // namespace Kiln::Patch
