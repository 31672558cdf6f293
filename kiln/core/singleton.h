#pragma once

namespace Kiln {

// Base of every process-wide object. The instance registers itself before any member of the
// derived class is built and unregisters after the last one is gone, so members may reach
// their owner through the accessor during construction and destruction. There is no lazy
// creation: a second instance simply replaces the registration.
template <class T>
class singleton {
public:
    static T* GetInstance() { return instance_; }

    singleton(const singleton&) = delete;
    singleton& operator=(const singleton&) = delete;

protected:
    singleton() { instance_ = static_cast<T*>(this); }
    virtual ~singleton() { instance_ = nullptr; }

private:
    static inline T* instance_ = nullptr;
};

}  // namespace Kiln
