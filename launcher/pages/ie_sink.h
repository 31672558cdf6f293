#pragma once

#include <windows.h>
#include <exdisp.h>

#include <string>

#include "kiln/base/scoped_win.h"
#include "launcher/pages/information_rules.h"

namespace Launcher {

// The information page's listener on the browser control's events: it moves on to the next
// fallback when a navigation fails, keeps every other address out of the page (the default
// browser opens it) and suppresses new windows. Created as CComObject<CIESink>.
class CIESink : public DWebBrowserEvents2 {
public:
    static constexpr DWORD kNotConnected = 0xFEFEFEFE;

    // Takes a reference on the browser and advises on its DWebBrowserEvents2 connection point.
    HRESULT Connect(IWebBrowser2* browser);
    // Unadvises and releases the browser. Safe to call when not connected.
    void Disconnect();

    // The first navigation of the page, planned from its settings.
    void StartNavigation(const InformationSettings& settings, const std::string& programDirectory);
    void NavigateNext();
    bool IsNavigationComplete() const { return state_.navigationComplete; }

    // IDispatch, for the four events this sink handles.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override;

protected:
    CIESink() = default;
    virtual ~CIESink() = default;
    void* InternalQueryInterface(REFIID iid);

private:
    void Navigate(const std::string& address);
    void OnBeforeNavigate(DISPPARAMS& params);
    void OnNavigateError(DISPPARAMS& params);

    DWORD cookie_ = kNotConnected;
    Kiln::ComPtr<IWebBrowser2> browser_;
    NavigationState state_;
};

}  // namespace Launcher
