#pragma once

namespace Kiln {

// Base of every process-wide object. The instance registers itself before any member of the
// derived class is built and unregisters after the last one is gone, so members may reach
// their owner through the accessor during construction and destruction. There is no lazy
// creation: a second instance simply replaces the registration.
template <class T>
class singleton {
public:
    static T* GetInstance() { return static_cast<T*>(instance_); }

    singleton(const singleton&) = delete;
    singleton& operator=(const singleton&) = delete;

protected:
    // Kept as the base type: the derived object does not exist yet at this point.
    singleton() { instance_ = this; }
    virtual ~singleton() { instance_ = nullptr; }

private:
    static inline singleton* instance_ = nullptr;
};

}  // namespace Kiln
