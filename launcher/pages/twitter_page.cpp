#include "launcher/pages/twitter_page.h"

#include <shellapi.h>

#include <ctime>
#include <string>
#include <vector>

#include "kiln/base/catch_all.h"
#include "launcher/net/http_connection.h"
#include "launcher/net/oauth_header.h"
#include "launcher/net/twitter_link.h"
#include "launcher/pages/page_colours.h"
#include "launcher/pages/page_fit.h"
#include "launcher/settings/settings_paths.h"
#include "launcher/settings/settings_store.h"
#include "launcher/window/launcher.h"
#include "resources/resource.h"

namespace Launcher {
namespace {

// The link lives as long as the process: the request pair must survive a change of tab.
TwitterKeys& Keys()
{
    static TwitterKeys keys;
    return keys;
}

LinkColour& Colour()
{
    static LinkColour colour = LinkColour::Black;
    return colour;
}

uint32_t Now()
{
    return static_cast<uint32_t>(std::time(nullptr));
}

TwitterStoredValue StoredValue(const std::string& path, const ProfileKey& key)
{
    return {[path, &key] { return ReadProfileValue(path, key); },
            [path, &key](const std::string& value) {
                // A read-only folder keeps the old text; the keys in memory are still used.
                ::WritePrivateProfileStringA(key.section, key.name, value.c_str(), path.c_str());
            }};
}

void Save()
{
    SaveTwitterKeys(Keys(), StoredValue(GameIniPath(), Launcher::Keys::kUserAccessKey), Now());
}

std::string Endpoint(const char* path)
{
    return TwitterEndpoint(ReadProfileValue(SystemIniPath(), Launcher::Keys::kAPIHost), path);
}

void Show(HWND page, TwitterPageState state)
{
    const TwitterPageView view = ViewOf(state);
    ::SetDlgItemTextA(page, IDC_TWITTER_HINT, view.hint.c_str());
    ::SetDlgItemTextA(page, IDC_TWITTER_STATUS, view.status.c_str());
    ::SetDlgItemTextA(page, IDC_TWITTER_BUTTON, view.button.c_str());
    ::EnableWindow(::GetDlgItem(page, IDC_TWITTER_BUTTON), view.buttonEnabled);
    ::EnableWindow(::GetDlgItem(page, IDC_TWITTER_PIN), view.pinEnabled);
    Colour() = view.colour;
    // The status line is transparent, so the window behind it must be drawn again.
    if (HWND main = CLauncher::GetInstance()->GetMainWindow())
        ::InvalidateRect(main, nullptr, TRUE);
    ::InvalidateRect(page, nullptr, TRUE);
}

std::string Fetch(const std::string& url, const std::string& header, const RequestParameters* parameters)
{
    HTTPConnection::REQUEST_DATA request;
    HTTPConnection::StartRequest(url, request, header, parameters, false);
    return request.strResponse;
}

void RequestToken(HWND page)
{
    TwitterKeys& keys = Keys();
    const std::string url = Endpoint(kTwitterRequestTokenPath);
    const std::string header = BuildOAuthHeader(url, nullptr, keys.consumerKey, keys.consumerSecret, "", "");
    if (!TakeTokens(Fetch(url, header, nullptr), keys.requestToken, keys.requestTokenSecret)) {
        keys.ForgetRequest();
        keys.ForgetAccess();
        Show(page, TwitterPageState::RequestFailed);
        Save();
        return;
    }
    const std::string authorize = Endpoint(kTwitterAuthorizePath) + "?oauth_token=" + keys.requestToken;
    ::ShellExecuteA(nullptr, "open", authorize.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    Show(page, TwitterPageState::WaitingForPin);
}

void ExchangePin(HWND page)
{
    TwitterKeys& keys = Keys();
    std::vector<char> pin(4096);
    ::GetDlgItemTextA(page, IDC_TWITTER_PIN, pin.data(), static_cast<int>(pin.size()));
    ::SetDlgItemTextA(page, IDC_TWITTER_PIN, "");
    const RequestParameters parameters{{"oauth_verifier", pin.data()}};
    const std::string url = Endpoint(kTwitterAccessTokenPath);
    const std::string header = BuildOAuthHeader(url, &parameters, keys.consumerKey, keys.consumerSecret,
                                                keys.requestToken, keys.requestTokenSecret);
    const bool linked = TakeTokens(Fetch(url, header, &parameters), keys.accessToken, keys.accessTokenSecret);
    // The request pair is spent either way.
    keys.ForgetRequest();
    if (!linked)
        keys.ForgetAccess();
    Show(page, linked ? TwitterPageState::Linked : TwitterPageState::AccessFailed);
    Save();
}

void OnButton(HWND page)
{
    TwitterKeys& keys = Keys();
    switch (ActionOnPress(keys)) {
    case TwitterAction::Unlink:
        keys.ForgetRequest();
        keys.ForgetAccess();
        Show(page, TwitterPageState::NotLinked);
        Save();
        break;
    case TwitterAction::ExchangePin:
        ExchangePin(page);
        break;
    case TwitterAction::RequestToken:
        RequestToken(page);
        break;
    }
}

void InitTwitterPage(HWND page)
{
    Kiln::CatchAll([&] { CLauncher::GetInstance()->DressWindow(page); });
    TwitterKeys& keys = Keys();
    LoadTwitterKeys(keys, StoredValue(SystemIniPath(), Launcher::Keys::kAPIAccessKey),
                    StoredValue(GameIniPath(), Launcher::Keys::kUserAccessKey), Now());
    keys.ForgetRequest();
    Show(page, InitialState(keys));
    FitPageTexts(page);
}

INT_PTR ColourStatus(HDC dc, HWND control)
{
    if (::GetDlgCtrlID(control) != IDC_TWITTER_STATUS)
        return FALSE;
    static const COLORREF colours[] = {RGB(0, 0, 0), RGB(255, 0, 0), RGB(0, 0, 255)};
    ::SetTextColor(dc, colours[static_cast<int>(Colour())]);
    ::SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<INT_PTR>(::GetStockObject(NULL_BRUSH));
}

INT_PTR ColourPin(HDC dc, HWND control)
{
    if (::GetDlgCtrlID(control) != IDC_TWITTER_PIN)
        return FALSE;
    return PaintBlackOnWhite(dc);
}

}  // namespace

INT_PTR CALLBACK TwitterPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        InitTwitterPage(page);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_TWITTER_BUTTON && HIWORD(wParam) == BN_CLICKED)
            OnButton(page);
        return TRUE;
    case WM_CTLCOLORSTATIC:
        return ColourStatus(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_CTLCOLOREDIT:
        return ColourPin(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    default:
        return FALSE;
    }
}

}  // namespace Launcher
