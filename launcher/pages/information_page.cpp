#include "launcher/pages/information_page.h"

#include <exdisp.h>
#include <ole2.h>

#include <memory>

#include "kiln/base/profile_file.h"
#include "kiln/base/scoped_win.h"
#include "kiln/core/kiln_help.h"
#include "launcher/pages/com_object.h"
#include "launcher/pages/ie_sink.h"
#include "launcher/pages/information_rules.h"
#include "launcher/settings/settings_paths.h"
#include "launcher/window/common.h"
#include "launcher/window/launcher.h"

namespace Launcher {
namespace {

// OLE on the thread while the page hosts the control; not for longer, so that the engine
// started afterwards on this thread chooses its own COM model.
class OleScope {
public:
    OleScope() : initialized_(SUCCEEDED(::OleInitialize(nullptr))) {}
    ~OleScope()
    {
        if (initialized_)
            ::OleUninitialize();
    }
    OleScope(const OleScope&) = delete;
    OleScope& operator=(const OleScope&) = delete;

private:
    bool initialized_;
};

// Members end in reverse order: the sink and the browser before OLE.
struct InformationPage {
    OleScope ole;
    InformationSettings settings;
    Kiln::ComPtr<IWebBrowser2> infoBrowser;
    Kiln::ComPtr<CComObject<CIESink>> infoSink;
    bool firstNavigationDone = false;
};

// The window has one information page.
std::unique_ptr<InformationPage>& Page()
{
    static std::unique_ptr<InformationPage> page;
    return page;
}

InformationSettings ReadInformationSettings()
{
    const std::string systemIni = SystemIniPath();
    return LoadInformationSettings([&](const std::string& key, const char* defaultValue) {
        return Kiln::Profile::ReadString(systemIni, "Launcher", key.c_str(), defaultValue);
    });
}

// Connects a new sink to the browser the host window holds; false when either fails.
bool ConnectBrowser(InformationPage& state, IUnknown* control)
{
    if (FAILED(control->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(state.infoBrowser.Receive()))))
        return false;
    CComObject<CIESink>* sink = nullptr;
    if (FAILED(CComObject<CIESink>::CreateInstance(&sink)))
        return false;
    sink->AddRef();
    *state.infoSink.Receive() = sink;
    return SUCCEEDED(sink->Connect(state.infoBrowser.Get()));
}

void CreateBrowser(HWND page, InformationPage& state, const RECT& area)
{
    const CCommon* common = CCommon::GetInstance();
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (!common || !common->atlAxGetControl) {
        ::CreateWindowExA(0, "STATIC", "Web browser", WS_CHILD | WS_VISIBLE, area.left, area.top, width, height,
                          page, nullptr, nullptr, nullptr);
        return;
    }
    HWND host = ::CreateWindowExA(0, "AtlAxWin", "Shell.Explorer.2", WS_CHILD | WS_VISIBLE, area.left, area.top,
                                  width, height, page, nullptr, nullptr, nullptr);
    Kiln::ComPtr<IUnknown> control;
    if (!host || FAILED(common->atlAxGetControl(host, control.Receive())) || !control)
        return;  // no control: the page stays empty
    if (!ConnectBrowser(state, control.Get())) {
        ::MessageBoxA(page, "初期化に失敗", "初期化エラー", MB_OK);
        ::EndDialog(page, 0);
    }
}

void InitInformationPage(HWND page)
{
    auto state = std::make_unique<InformationPage>();
    state->settings = ReadInformationSettings();
    CLauncher::GetInstance()->DressWindow(page);
    RECT area;
    ::GetClientRect(page, &area);
    InformationPage& held = *(Page() = std::move(state));
    CreateBrowser(page, held, area);
    ::SetTimer(page, kInformationTimer, kFirstTickMs, nullptr);
}

void OnTimer(HWND page)
{
    ::KillTimer(page, kInformationTimer);
    InformationPage* state = Page().get();
    if (!state)
        return;
    CIESink* sink = state->infoSink.Get();
    if (!state->firstNavigationDone) {
        if (state->infoBrowser && sink)
            sink->StartNavigation(state->settings, Kiln::CKilnHelp::GetInstance()->GetProgramDirectory());
        state->firstNavigationDone = true;
        ::SetTimer(page, kInformationTimer, kWatchdogMs, nullptr);
        return;
    }
    if (!WatchdogMovesOn(sink != nullptr, sink && sink->IsNavigationComplete()))
        return;
    sink->NavigateNext();
    ::SetTimer(page, kInformationTimer, kWatchdogMs, nullptr);
}

void DestroyInformationPage(HWND page)
{
    ::KillTimer(page, kInformationTimer);
    std::unique_ptr<InformationPage> state = std::move(Page());
    if (!state)
        return;
    if (state->infoSink)
        state->infoSink->Disconnect();
    state->infoSink.Reset();
    state->infoBrowser.Reset();
}

}  // namespace

INT_PTR CALLBACK InformationPageProc(HWND page, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        InitInformationPage(page);
        return TRUE;
    case WM_TIMER:
        if (wParam == kInformationTimer)
            OnTimer(page);
        return TRUE;
    case WM_DESTROY:
        DestroyInformationPage(page);
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace Launcher
