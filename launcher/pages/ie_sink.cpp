#include "launcher/pages/ie_sink.h"

#include <exdispid.h>
#include <ocidl.h>
#include <shellapi.h>

#include <vector>

#include "kiln/base/catch_all.h"

namespace Launcher {
namespace {

// Frees its BSTR.
class UniqueBstr {
public:
    explicit UniqueBstr(BSTR text) : text_(text) {}
    ~UniqueBstr() { ::SysFreeString(text_); }
    UniqueBstr(const UniqueBstr&) = delete;
    UniqueBstr& operator=(const UniqueBstr&) = delete;
    BSTR Get() const { return text_; }

private:
    BSTR text_;
};

BSTR BstrFromText(const std::string& text)
{
    const int length = ::MultiByteToWideChar(CP_THREAD_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0)
        return ::SysAllocStringLen(L"", 0);
    BSTR wide = ::SysAllocStringLen(nullptr, static_cast<UINT>(length));
    if (wide)
        ::MultiByteToWideChar(CP_THREAD_ACP, 0, text.data(), static_cast<int>(text.size()), wide, length);
    return wide;
}

std::string TextFromBstr(BSTR wide)
{
    const int units = static_cast<int>(::SysStringLen(wide));
    if (units == 0)
        return {};
    const int length = ::WideCharToMultiByte(CP_THREAD_ACP, 0, wide, units, nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return {};
    std::string text(static_cast<size_t>(length), '\0');
    ::WideCharToMultiByte(CP_THREAD_ACP, 0, wide, units, text.data(), length, nullptr, nullptr);
    return text;
}

// Argument `index` of an event in declaration order; the dispatch parameters hold them last first.
VARIANT* Argument(DISPPARAMS& params, UINT count, UINT index)
{
    if (params.cArgs != count || !params.rgvarg || index >= count)
        return nullptr;
    return &params.rgvarg[count - 1 - index];
}

std::string AddressOf(const VARIANT* argument)
{
    if (!argument)
        return {};
    const VARIANT* value = argument;
    if (value->vt == (VT_BYREF | VT_VARIANT) && value->pvarVal)
        value = value->pvarVal;
    return value->vt == VT_BSTR ? TextFromBstr(value->bstrVal) : std::string();
}

void Cancel(VARIANT* argument)
{
    if (argument && argument->vt == (VT_BYREF | VT_BOOL) && argument->pboolVal)
        *argument->pboolVal = VARIANT_TRUE;
}

Kiln::ComPtr<IConnectionPoint> EventsConnectionPoint(IWebBrowser2* browser)
{
    Kiln::ComPtr<IConnectionPointContainer> container;
    Kiln::ComPtr<IConnectionPoint> point;
    if (browser && SUCCEEDED(browser->QueryInterface(IID_IConnectionPointContainer,
                                                     reinterpret_cast<void**>(container.Receive()))))
        container->FindConnectionPoint(DIID_DWebBrowserEvents2, point.Receive());
    return point;
}

}  // namespace

HRESULT CIESink::Connect(IWebBrowser2* target)
{
    if (!target)
        return E_POINTER;
    target->AddRef();
    *browser_.Receive() = target;
    const Kiln::ComPtr<IConnectionPoint> point = EventsConnectionPoint(target);
    if (!point)
        return E_NOINTERFACE;
    DWORD cookie = 0;
    const HRESULT result = point->Advise(static_cast<DWebBrowserEvents2*>(this), &cookie);
    if (FAILED(result))
        return result;
    cookie_ = cookie;
    state_.nextFallback = 0;
    state_.navigationComplete = false;
    return S_OK;
}

void CIESink::Disconnect()
{
    if (cookie_ != kNotConnected) {
        if (const Kiln::ComPtr<IConnectionPoint> point = EventsConnectionPoint(browser_.Get()))
            point->Unadvise(cookie_);
        cookie_ = kNotConnected;
    }
    browser_.Reset();
}

void CIESink::StartNavigation(const InformationSettings& settings, const std::string& programDirectory)
{
    Navigate(Launcher::StartNavigation(state_, settings, programDirectory));
}

void CIESink::NavigateNext()
{
    Navigate(Launcher::NavigateNext(state_));
}

void CIESink::Navigate(const std::string& address)
{
    if (!browser_)
        return;
    // A failing Navigate2 is left to NavigateError and the watchdog, like any other failure.
    const UniqueBstr wide(BstrFromText(address));
    VARIANT url;
    ::VariantInit(&url);
    url.vt = VT_BSTR;
    url.bstrVal = wide.Get();
    VARIANT flags;
    ::VariantInit(&flags);
    flags.vt = VT_I4;
    flags.lVal = navNoHistory | navNoReadFromCache;
    VARIANT empty;
    ::VariantInit(&empty);
    browser_->Navigate2(&url, &flags, &empty, &empty, &empty);
}

void CIESink::OnBeforeNavigate(DISPPARAMS& params)
{
    // (pDisp, URL, Flags, TargetFrameName, PostData, Headers, Cancel)
    const std::string address = AddressOf(Argument(params, 7, 1));
    if (AddressStaysInside(address, state_))
        return;
    ::ShellExecuteA(nullptr, "open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    Cancel(Argument(params, 7, 6));
}

void CIESink::OnNavigateError(DISPPARAMS& params)
{
    // (pDisp, URL, TargetFrameName, StatusCode, Cancel)
    Cancel(Argument(params, 5, 4));
    if (ErrorMovesOn(state_, AddressOf(Argument(params, 5, 1))))
        NavigateNext();
}

STDMETHODIMP CIESink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*)
{
    if (!params)
        return E_INVALIDARG;
    // The browser calls in from its own frames: nothing thrown may leave.
    Kiln::CatchAll([&] {
        switch (id) {
        case DISPID_NAVIGATECOMPLETE2:
            state_.navigationComplete = true;
            break;
        case DISPID_NAVIGATEERROR:
            OnNavigateError(*params);
            break;
        case DISPID_BEFORENAVIGATE2:
            OnBeforeNavigate(*params);
            break;
        case DISPID_NEWWINDOW2:
            Cancel(Argument(*params, 2, 1));
            break;
        default:
            break;
        }
    });
    return S_OK;
}

void* CIESink::InternalQueryInterface(REFIID iid)
{
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == DIID_DWebBrowserEvents2)
        return static_cast<DWebBrowserEvents2*>(this);
    return nullptr;
}

STDMETHODIMP CIESink::GetTypeInfoCount(UINT* count)
{
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

STDMETHODIMP CIESink::GetTypeInfo(UINT, LCID, ITypeInfo** info)
{
    if (info)
        *info = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CIESink::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*)
{
    return E_NOTIMPL;
}

}  // namespace Launcher
