#include "launcher/pages/page_fit.h"

#include <algorithm>
#include <climits>
#include <memory>

#include "kiln/base/scoped_win.h"
#include "kiln/base/wide_text.h"
#include "launcher/pages/page_layout.h"

namespace Launcher {
namespace {

// A screen-compatible device context with a control's font selected.
class ControlFont {
public:
    explicit ControlFont(HWND control) : dc_(::CreateCompatibleDC(nullptr))
    {
        HFONT font = reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
        previous_ = ::SelectObject(dc_.Get(), font ? font : ::GetStockObject(DEFAULT_GUI_FONT));
        ::GetTextMetricsW(dc_.Get(), &metrics_);
    }
    ~ControlFont() { ::SelectObject(dc_.Get(), previous_); }
    ControlFont(const ControlFont&) = delete;
    ControlFont& operator=(const ControlFont&) = delete;

    // The rectangle DrawText fills, at most `width` wide when it wraps.
    SIZE Drawn(const std::wstring& text, UINT format, int width = 0) const
    {
        RECT rect = {0, 0, width, 0};
        ::DrawTextW(dc_.Get(), text.c_str(), static_cast<int>(text.size()), &rect, format | DT_CALCRECT);
        return {rect.right, rect.bottom};
    }
    int CharWidth(wchar_t c) const
    {
        INT width = 0;
        ::GetCharWidth32W(dc_.Get(), c, c, &width);
        return width;
    }
    int LineHeight() const { return metrics_.tmHeight; }
    int Dpi() const { return ::GetDeviceCaps(dc_.Get(), LOGPIXELSX); }

private:
    Kiln::UniqueMemoryDC dc_;
    HGDIOBJ previous_;
    TEXTMETRICW metrics_ = {};
};

std::wstring WindowTextW(HWND control)
{
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

Box BoxIn(HWND page, HWND control)
{
    RECT rect = {};
    ::GetWindowRect(control, &rect);
    ::MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&rect), 2);
    return {rect.left, rect.top, rect.right, rect.bottom};
}

bool IsClass(HWND control, const wchar_t* name)
{
    wchar_t className[32] = {};
    ::GetClassNameW(control, className, 32);
    return lstrcmpiW(className, name) == 0;
}

// A static text as it draws: aligned by its style, wrapped at word breaks unless it says not.
void DescribeStatic(HWND control, LONG style, PageItem& item)
{
    const LONG type = style & SS_TYPEMASK;
    if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT && type != SS_LEFTNOWORDWRAP && type != SS_SIMPLE)
        return;
    const std::wstring text = WindowTextW(control);
    if (text.empty())
        return;
    const UINT format = DT_EXPANDTABS | ((style & SS_NOPREFIX) ? DT_NOPREFIX : 0);
    auto font = std::make_shared<ControlFont>(control);
    const SIZE line = font->Drawn(text, type == SS_SIMPLE ? format | DT_SINGLELINE : format);
    item.kind = type == SS_RIGHT ? TextKind::RightAligned : TextKind::LeftAligned;
    item.lineWidth = line.cx;
    item.lineHeight = line.cy;
    if (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT) {
        item.heightAt = [font, text, format](int width) {
            const SIZE wrapped = font->Drawn(text, format | DT_WORDBREAK, width);
            // a word wider than the line does not wrap: no height holds it
            return wrapped.cx > width ? INT_MAX : static_cast<int>(wrapped.cy);
        };
    }
}

// A check box: its mark, a gap, and the text on one line, with a pixel each side for the focus
// frame.
void DescribeCheckBox(HWND control, PageItem& item)
{
    const std::wstring text = WindowTextW(control);
    if (text.empty())
        return;
    const ControlFont font(control);
    const int mark = std::max(::GetSystemMetrics(SM_CXMENUCHECK), 12 * font.Dpi() / 96 + 1);
    item.kind = TextKind::LeftAligned;
    item.lineWidth = mark + font.CharWidth(L'0') + font.Drawn(text, DT_SINGLELINE | DT_NOPREFIX).cx + 2;
    item.lineHeight = font.LineHeight();
}

}  // namespace

void FitPageTexts(HWND page)
{
    std::vector<HWND> controls;
    std::vector<PageItem> items;
    for (HWND control = ::GetWindow(page, GW_CHILD); control; control = ::GetWindow(control, GW_HWNDNEXT)) {
        const LONG style = ::GetWindowLongW(control, GWL_STYLE);
        if (!(style & WS_VISIBLE))
            continue;  // hidden controls take no room
        PageItem item;
        item.box = BoxIn(page, control);
        if (IsClass(control, L"Static"))
            DescribeStatic(control, style, item);
        else if (IsClass(control, L"Button")) {
            const LONG type = style & BS_TYPEMASK;
            if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE || type == BS_AUTO3STATE ||
                type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON)
                DescribeCheckBox(control, item);
        }
        controls.push_back(control);
        items.push_back(std::move(item));
    }
    RECT client = {};
    ::GetClientRect(page, &client);
    const SIZE spacing = DialogPixels(page, 2, 2);
    std::vector<PageItem> fitted = items;
    FitTexts(fitted, {0, 0, client.right, client.bottom}, spacing.cx, spacing.cx);
    bool moved = false;
    for (size_t i = 0; i < fitted.size(); ++i) {
        const Box& box = fitted[i].box;
        const Box& was = items[i].box;
        if (box.left == was.left && box.top == was.top && box.right == was.right && box.bottom == was.bottom)
            continue;
        ::SetWindowPos(controls[i], nullptr, box.left, box.top, box.Width(), box.Height(),
                       SWP_NOZORDER | SWP_NOACTIVATE);
        moved = true;
    }
    if (moved)
        RedrawPage(page);
}

void RedrawPage(HWND page)
{
    // A shown page would keep what its moved texts drew at their old places.
    ::RedrawWindow(page, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

int WidestText(HWND control, const std::vector<std::string>& texts)
{
    const ControlFont font(control);
    int widest = 0;
    for (const std::string& text : texts)
        widest = std::max<int>(widest, font.Drawn(Kiln::WideFromShiftJis(text), DT_SINGLELINE | DT_NOPREFIX).cx);
    return widest;
}

SIZE DialogPixels(HWND dialog, int x, int y)
{
    RECT rect = {0, 0, x, y};
    ::MapDialogRect(dialog, &rect);
    return {rect.right, rect.bottom};
}

}  // namespace Launcher
