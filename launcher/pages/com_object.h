#pragma once

#include <windows.h>
#include <unknwn.h>

#include <new>

namespace Launcher {

// A heap COM object in the ATL manner: `Base` implements the interfaces and answers
// InternalQueryInterface; this adds the reference count. Created with no reference, as
// ATL's CComObject::CreateInstance does; the caller takes the first.
template <class Base>
class CComObject final : public Base {
public:
    static HRESULT CreateInstance(CComObject** object)
    {
        *object = new (std::nothrow) CComObject;
        return *object ? S_OK : E_OUTOFMEMORY;
    }

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        *object = this->InternalQueryInterface(iid);
        if (!*object)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&refs_)); }
    STDMETHODIMP_(ULONG) Release() override
    {
        const LONG left = ::InterlockedDecrement(&refs_);
        if (left == 0)
            delete this;
        return static_cast<ULONG>(left);
    }

private:
    CComObject() = default;
    ~CComObject() override = default;

    LONG refs_ = 0;
};

}  // namespace Launcher
