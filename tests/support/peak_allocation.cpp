#include "tests/support/peak_allocation.h"

#include <atomic>

// Two ways to see every allocation: the sanitizers own malloc and report to hooks; a plain
// glibc build replaces malloc and its kin here, which also catches what libraries allocate.
#if defined(__SANITIZE_ADDRESS__)
#define KILN_COUNT_WITH_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KILN_COUNT_WITH_SANITIZER 1
#endif
#endif

#if defined(KILN_COUNT_WITH_SANITIZER)
// The sanitizer runtime's allocator interface (GCC ships no header for it).
extern "C" {
int __sanitizer_install_malloc_and_free_hooks(void (*malloc_hook)(const volatile void*, size_t),
                                              void (*free_hook)(const volatile void*));
size_t __sanitizer_get_allocated_size(const volatile void* pointer);
}
#elif defined(__GLIBC__)
#define KILN_COUNT_WITH_GLIBC 1
#include <cerrno>
#include <cstdint>
#include <malloc.h>
#include <unistd.h>
#endif

namespace KilnTest::PeakAllocation {
namespace {

std::atomic<size_t> held{0};
std::atomic<size_t> peak{0};

void Add(size_t bytes)
{
    const size_t now = held.fetch_add(bytes, std::memory_order_relaxed) + bytes;
    size_t high = peak.load(std::memory_order_relaxed);
    while (now > high && !peak.compare_exchange_weak(high, now, std::memory_order_relaxed)) {
    }
}

void Remove(size_t bytes)
{
    held.fetch_sub(bytes, std::memory_order_relaxed);
}

}  // namespace

#if defined(KILN_COUNT_WITH_SANITIZER)

namespace {

void OnMalloc(const volatile void* /*pointer*/, size_t size)
{
    Add(size);
}

void OnFree(const volatile void* pointer)
{
    // Called before the block goes, so its size is still known.
    if (pointer)
        Remove(__sanitizer_get_allocated_size(pointer));
}

const bool installed = __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree) != 0;

}  // namespace

bool Available()
{
    return installed;
}

#elif defined(KILN_COUNT_WITH_GLIBC)

bool Available()
{
    return true;
}

#else

bool Available()
{
    return false;
}

#endif

size_t During(const std::function<void()>& work)
{
    const size_t start = held.load(std::memory_order_relaxed);
    peak.store(start, std::memory_order_relaxed);
    work();
    const size_t high = peak.load(std::memory_order_relaxed);
    return high > start ? high - start : 0;
}

}  // namespace KilnTest::PeakAllocation

#if defined(KILN_COUNT_WITH_GLIBC)

// glibc lets a program replace its allocator; these forward to glibc's own and count the
// usable size of each block, so a block is counted the same when it comes and when it goes.
extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* pointer, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void __libc_free(void* pointer);
}

namespace {

void* Counted(void* pointer)
{
    if (pointer)
        KilnTest::PeakAllocation::Add(malloc_usable_size(pointer));
    return pointer;
}

}  // namespace

extern "C" {

void* malloc(size_t size) noexcept
{
    return Counted(__libc_malloc(size));
}

void* calloc(size_t count, size_t size) noexcept
{
    return Counted(__libc_calloc(count, size));
}

void free(void* pointer) noexcept
{
    if (pointer)
        KilnTest::PeakAllocation::Remove(malloc_usable_size(pointer));
    __libc_free(pointer);
}

void* realloc(void* pointer, size_t size) noexcept
{
    const size_t before = pointer ? malloc_usable_size(pointer) : 0;
    void* moved = __libc_realloc(pointer, size);
    if (moved || size == 0)
        KilnTest::PeakAllocation::Remove(before);
    return Counted(moved);
}

void* reallocarray(void* pointer, size_t count, size_t size) noexcept
{
    if (size != 0 && count > SIZE_MAX / size) {
        errno = ENOMEM;
        return nullptr;
    }
    return realloc(pointer, count * size);
}

void* memalign(size_t alignment, size_t size) noexcept
{
    return Counted(__libc_memalign(alignment, size));
}

void* aligned_alloc(size_t alignment, size_t size) noexcept
{
    return Counted(__libc_memalign(alignment, size));
}

int posix_memalign(void** result, size_t alignment, size_t size) noexcept
{
    if (alignment < sizeof(void*) || (alignment & (alignment - 1)) != 0)
        return EINVAL;
    void* pointer = Counted(__libc_memalign(alignment, size));
    if (!pointer && size != 0)
        return ENOMEM;
    *result = pointer;
    return 0;
}

void* valloc(size_t size) noexcept
{
    return Counted(__libc_memalign(static_cast<size_t>(sysconf(_SC_PAGESIZE)), size));
}

}  // extern "C"

#endif
