#pragma once

#include <cstdint>
#include <utility>

namespace Kiln {

// Base of every framework object. Counting is plain (not interlocked): framework objects
// never cross threads.
class IKilnInterface {
public:
    virtual uint32_t AddRef() = 0;
    virtual uint32_t Release() = 0;
    virtual uint32_t GetRefCount() = 0;

protected:
    virtual ~IKilnInterface() = default;
};

// Implements the counting for an interface. Objects start with one reference, owned by the
// caller of the factory that made them.
template <class Interface>
class RefCounted : public Interface {
public:
    uint32_t AddRef() override { return ++refCount_; }

    uint32_t Release() override
    {
        if (--refCount_ == 0) {
            delete this;
            return 0;
        }
        return refCount_;
    }

    uint32_t GetRefCount() override { return refCount_; }

protected:
    RefCounted() = default;
    ~RefCounted() override = default;

private:
    uint32_t refCount_ = 1;
};

// Intrusive handle: holds one reference of the object it stores.
template <class T>
class KilnHandle {
public:
    KilnHandle() = default;
    KilnHandle(const KilnHandle& other) : object_(other.object_) { AddRefHeld(); }
    KilnHandle(KilnHandle&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    ~KilnHandle() { Reset(); }

    KilnHandle& operator=(KilnHandle other) noexcept
    {
        std::swap(object_, other.object_);
        return *this;
    }

    // Takes over the creation reference of an object fresh from a factory.
    static KilnHandle Adopt(T* created)
    {
        KilnHandle handle;
        handle.object_ = created;
        return handle;
    }

    // Takes a reference of its own on an object someone else holds.
    static KilnHandle Retain(T* object)
    {
        if (object)
            object->AddRef();
        return Adopt(object);
    }

    void Reset()
    {
        if (T* old = std::exchange(object_, nullptr))
            old->Release();
    }

    T* Get() const { return object_; }
    T* operator->() const { return object_; }
    T& operator*() const { return *object_; }
    explicit operator bool() const { return object_ != nullptr; }

private:
    void AddRefHeld()
    {
        if (object_)
            object_->AddRef();
    }

    T* object_ = nullptr;
};

}  // namespace Kiln
