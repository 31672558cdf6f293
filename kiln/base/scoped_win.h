#pragma once

#include <windows.h>

#include <utility>

// Small owners for Win32 handles: each closes its handle with the function of its kind.
namespace Kiln {

template <class Traits>
class UniqueWin {
public:
    using Handle = typename Traits::Handle;

    UniqueWin() = default;
    explicit UniqueWin(Handle handle) : handle_(handle) {}
    UniqueWin(UniqueWin&& other) noexcept : handle_(other.Release()) {}
    UniqueWin& operator=(UniqueWin&& other) noexcept
    {
        Reset(other.Release());
        return *this;
    }
    UniqueWin(const UniqueWin&) = delete;
    UniqueWin& operator=(const UniqueWin&) = delete;
    ~UniqueWin() { Reset(); }

    Handle Get() const { return handle_; }
    explicit operator bool() const { return Traits::IsValid(handle_); }

    Handle Release() { return std::exchange(handle_, Traits::Invalid()); }

    void Reset(Handle handle = Traits::Invalid())
    {
        Handle old = std::exchange(handle_, handle);
        if (Traits::IsValid(old))
            Traits::Close(old);
    }

private:
    Handle handle_ = Traits::Invalid();
};

struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { ::CloseHandle(h); }
};

struct FileHandleTraits : KernelHandleTraits {
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
};

struct ModuleTraits {
    using Handle = HMODULE;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { ::FreeLibrary(h); }
};

struct GdiObjectTraits {
    using Handle = HGDIOBJ;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { ::DeleteObject(h); }
};

struct MemoryDCTraits {
    using Handle = HDC;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { ::DeleteDC(h); }
};

// Global memory that its holder keeps locked: unlocked, then freed.
struct LockedGlobalMemoryTraits {
    using Handle = HGLOBAL;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h)
    {
        ::GlobalUnlock(h);
        ::GlobalFree(h);
    }
};

using UniqueHandle = UniqueWin<KernelHandleTraits>;
using UniqueFileHandle = UniqueWin<FileHandleTraits>;
using UniqueModule = UniqueWin<ModuleTraits>;
using UniqueGdiObject = UniqueWin<GdiObjectTraits>;
using UniqueMemoryDC = UniqueWin<MemoryDCTraits>;
using UniqueLockedGlobalMemory = UniqueWin<LockedGlobalMemoryTraits>;

// A COM interface pointer that releases its reference.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept
    {
        Reset();
        ptr_ = std::exchange(other.ptr_, nullptr);
        return *this;
    }
    ~ComPtr() { Reset(); }

    void Reset()
    {
        if (T* old = std::exchange(ptr_, nullptr))
            old->Release();
    }
    T* Get() const { return ptr_; }
    T* operator->() const { return ptr_; }
    T** Receive()
    {
        Reset();
        return &ptr_;
    }
    explicit operator bool() const { return ptr_ != nullptr; }

private:
    T* ptr_ = nullptr;
};

// Looks up an export as a typed function pointer.
template <class Function>
Function GetProcAs(HMODULE module, const char* name)
{
    // Through void(*)() so the cast is not flagged as an incompatible function type.
    return reinterpret_cast<Function>(
        reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

}  // namespace Kiln
