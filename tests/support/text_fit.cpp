#include "tests/support/text_fit.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "tests/support/ui_driver.h"

namespace KilnTest {
namespace {

// Reads a dialog template resource front to back, every read checked against its size.
class TemplateReader {
public:
    TemplateReader(const BYTE* data, size_t size) : data_(data), size_(size) {}

    bool Word(WORD& value) { return Read(&value, sizeof value); }
    bool Skip(size_t bytes)
    {
        if (size_ - offset_ < bytes)
            return false;
        offset_ += bytes;
        return true;
    }
    bool Text(std::wstring& text)
    {
        text.clear();
        for (WORD c = 0; Word(c);) {
            if (c == 0)
                return true;
            text.push_back(static_cast<wchar_t>(c));
        }
        return false;
    }
    // A menu or class field: nothing, an ordinal, or a name.
    bool NameOrOrdinal()
    {
        WORD first = 0;
        if (!Word(first))
            return false;
        if (first == 0x0000)
            return true;
        if (first == 0xFFFF)
            return Skip(sizeof(WORD));
        std::wstring rest;
        return Text(rest);
    }

private:
    bool Read(void* target, size_t bytes)
    {
        if (size_ - offset_ < bytes)
            return false;
        std::memcpy(target, data_ + offset_, bytes);
        offset_ += bytes;
        return true;
    }

    const BYTE* data_;
    size_t size_;
    size_t offset_ = 0;
};

std::string Utf8(const std::wstring& text)
{
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(std::max(size, 1)), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, result.data(), size, nullptr, nullptr);
    result.resize(std::strlen(result.c_str()));
    return result;
}

// Text as the control holds it: the wide form of WM_GETTEXT comes back whole across processes.
std::wstring WideText(HWND control)
{
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(control, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kWindowTimeoutMs, &length))
        return {};
    std::vector<wchar_t> text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    ::SendMessageTimeoutW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                          kWindowTimeoutMs, &copied);
    return std::wstring(text.data(), std::min<size_t>(copied, length));
}

std::wstring ClassName(HWND control)
{
    wchar_t name[64] = {};
    ::GetClassNameW(control, name, 64);
    return name;
}

SIZE ClientSize(HWND control)
{
    RECT client = {};
    ::GetClientRect(control, &client);
    return {client.right - client.left, client.bottom - client.top};
}

// A memory device context with the font selected, for measuring.
class Measure {
public:
    explicit Measure(HFONT font) : dc_(::CreateCompatibleDC(nullptr))
    {
        previous_ = ::SelectObject(dc_.Get(), font);
        ::GetTextMetricsW(dc_.Get(), &metrics_);
    }
    ~Measure() { ::SelectObject(dc_.Get(), previous_); }
    Measure(const Measure&) = delete;
    Measure& operator=(const Measure&) = delete;

    SIZE Line(const std::wstring& text) const
    {
        SIZE size = {};
        ::GetTextExtentPoint32W(dc_.Get(), text.c_str(), static_cast<int>(text.size()), &size);
        return {size.cx, std::max(size.cy, metrics_.tmHeight)};
    }
    // The rectangle DrawText fills with `text` at most `width` wide (wider when a word is).
    SIZE Drawn(const std::wstring& text, int width, UINT format) const
    {
        RECT rect = {0, 0, width, 0};
        ::DrawTextW(dc_.Get(), text.c_str(), static_cast<int>(text.size()), &rect, format | DT_CALCRECT);
        return {rect.right - rect.left, rect.bottom - rect.top};
    }
    int CharWidth(wchar_t c) const
    {
        INT width = 0;
        ::GetCharWidth32W(dc_.Get(), c, c, &width);
        return width;
    }
    int LineHeight() const { return metrics_.tmHeight; }

private:
    Kiln::UniqueMemoryDC dc_;
    HGDIOBJ previous_;
    TEXTMETRICW metrics_ = {};
};

int ScreenDpi()
{
    HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return dpi;
}

bool MeasureStatic(HWND control, LONG style, const Measure& measure, TextFit& fit, const std::wstring& text)
{
    UINT format = DT_EXPANDTABS;
    switch (style & SS_TYPEMASK) {
    case SS_LEFT:
    case SS_CENTER:
    case SS_RIGHT:
        format |= DT_WORDBREAK;
        break;
    case SS_LEFTNOWORDWRAP:
        break;
    case SS_SIMPLE:
        format |= DT_SINGLELINE;
        break;
    default:
        return false;  // frames, rectangles, pictures
    }
    if (style & SS_NOPREFIX)
        format |= DT_NOPREFIX;
    fit.room = ClientSize(control);
    fit.need = measure.Drawn(text, fit.room.cx, format);
    return true;
}

bool MeasureButton(HWND control, LONG style, const Measure& measure, TextFit& fit, const std::wstring& text)
{
    const SIZE client = ClientSize(control);
    fit.need = measure.Line(text);
    switch (style & BS_TYPEMASK) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON:
        // the frame (and a default button's outline) and the gap the label keeps from it
        fit.room = {client.cx - 6, client.cy - 6};
        return true;
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON: {
        // The check mark is 13 pixels at 96 DPI, and the text keeps half a digit from it.
        const int mark = std::max(::GetSystemMetrics(SM_CXMENUCHECK), 12 * ScreenDpi() / 96 + 1);
        fit.room = {client.cx - mark - measure.CharWidth(L'0') / 2, client.cy};
        return true;
    }
    default:
        return false;  // group boxes, owner-drawn buttons
    }
}

bool MeasureEdit(HWND control, LONG style, const Measure& measure, TextFit& fit, const std::wstring& text)
{
    if ((style & ES_MULTILINE) && (style & WS_VSCROLL))
        return false;
    const RECT format = EditFormattingRect(control);
    const SIZE client = ClientSize(control);
    fit.room = {format.right - format.left, std::min<LONG>(format.bottom - format.top, client.cy)};
    fit.need = (style & ES_MULTILINE) ? measure.Drawn(text, fit.room.cx, DT_WORDBREAK | DT_EDITCONTROL)
                                      : measure.Line(text);
    return true;
}

bool MeasureDropDown(HWND control, const Measure& measure, TextFit& fit)
{
    const int count = static_cast<int>(::SendMessageW(control, CB_GETCOUNT, 0, 0));
    std::wstring widest;
    LONG widestWidth = -1;
    for (int i = 0; i < count; ++i) {
        const LRESULT length = ::SendMessageW(control, CB_GETLBTEXTLEN, i, 0);
        std::vector<wchar_t> entry(length > 0 ? static_cast<size_t>(length) + 1 : 1, L'\0');
        ::SendMessageW(control, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(entry.data()));
        const LONG width = measure.Line(entry.data()).cx;
        if (width > widestWidth) {
            widestWidth = width;
            widest = entry.data();
        }
    }
    if (widestWidth < 0)
        return false;
    const SIZE client = ClientSize(control);
    fit.text = Utf8(widest);
    fit.need = measure.Line(widest);
    // the selection field lies between the sunken edges, left of the arrow button
    fit.room = {client.cx - ::GetSystemMetrics(SM_CXVSCROLL) - 2 * ::GetSystemMetrics(SM_CXEDGE) - 2, fit.need.cy};
    return true;
}

struct Collect {
    HWND dialog;
    const Measure* measure;
    std::vector<TextFit>* fits;
};

BOOL CALLBACK MeasureChild(HWND control, LPARAM context)
{
    auto* collect = reinterpret_cast<Collect*>(context);
    if (::GetParent(control) != collect->dialog || !::IsWindowVisible(control))
        return TRUE;
    const std::wstring className = ClassName(control);
    const LONG style = ::GetWindowLongW(control, GWL_STYLE);
    const std::wstring text = WideText(control);
    TextFit fit;
    fit.id = ::GetDlgCtrlID(control);
    fit.className = Utf8(className);
    fit.text = Utf8(text);
    bool measured = false;
    if (lstrcmpiW(className.c_str(), L"ComboBox") == 0)
        measured = MeasureDropDown(control, *collect->measure, fit);
    else if (text.empty())
        measured = false;
    else if (lstrcmpiW(className.c_str(), L"Static") == 0)
        measured = MeasureStatic(control, style, *collect->measure, fit, text);
    else if (lstrcmpiW(className.c_str(), L"Button") == 0)
        measured = MeasureButton(control, style, *collect->measure, fit, text);
    else if (lstrcmpiW(className.c_str(), L"Edit") == 0)
        measured = MeasureEdit(control, style, *collect->measure, fit, text);
    if (measured)
        collect->fits->push_back(fit);
    return TRUE;
}

}  // namespace

TemplateFont::TemplateFont(const std::string& module, int id)
{
    Kiln::UniqueModule program(::LoadLibraryExA(module.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    HRSRC resource = program ? ::FindResourceA(program.Get(), MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5)) : nullptr;
    HGLOBAL loaded = resource ? ::LoadResource(program.Get(), resource) : nullptr;
    const auto* data = loaded ? static_cast<const BYTE*>(::LockResource(loaded)) : nullptr;
    if (!data)
        return;
    TemplateReader reader(data, ::SizeofResource(program.Get(), resource));
    // DLGTEMPLATEEX: version 1, signature 0xFFFF, help id, extended style, style, item count,
    // position and size; then menu, class and title; then the font, when the style sets one.
    WORD version = 0, signature = 0, low = 0, high = 0, x = 0, y = 0, cx = 0, cy = 0, items = 0;
    if (!reader.Word(version) || !reader.Word(signature) || version != 1 || signature != 0xFFFF ||
        !reader.Skip(2 * sizeof(DWORD)) || !reader.Word(low) || !reader.Word(high) || !reader.Word(items) ||
        !reader.Word(x) || !reader.Word(y) || !reader.Word(cx) || !reader.Word(cy))
        return;
    const DWORD style = MAKELONG(low, high);
    std::wstring title, face;
    WORD points = 0, weight = 0, italicAndCharset = 0;
    if (!(style & DS_SETFONT) || !reader.NameOrOrdinal() || !reader.NameOrOrdinal() || !reader.Text(title) ||
        !reader.Word(points) || !reader.Word(weight) || !reader.Word(italicAndCharset) || !reader.Text(face))
        return;

    // As the dialog manager does: the point size at the screen's DPI, and the base units from
    // the average width of the 52 letters and the font's height.
    font_.Reset(::CreateFontW(-::MulDiv(points, ScreenDpi(), 72), 0, 0, 0, weight, LOBYTE(italicAndCharset), FALSE,
                              FALSE, HIBYTE(italicAndCharset), OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                              DEFAULT_QUALITY, FF_DONTCARE, face.c_str()));
    if (!font_)
        return;
    Measure measure(Get());
    const SIZE letters = measure.Line(L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    baseX_ = (letters.cx / 26 + 1) / 2;
    baseY_ = measure.LineHeight();
    width_ = cx;
    height_ = cy;
}

std::string TemplateFont::Face() const
{
    if (!Valid())
        return {};
    Kiln::UniqueMemoryDC dc(::CreateCompatibleDC(nullptr));
    HGDIOBJ previous = ::SelectObject(dc.Get(), Get());
    wchar_t face[LF_FACESIZE] = {};
    ::GetTextFaceW(dc.Get(), LF_FACESIZE, face);
    ::SelectObject(dc.Get(), previous);
    return Utf8(face);
}

TEXTMETRICW TemplateFont::Metrics() const
{
    TEXTMETRICW metrics = {};
    if (!Valid())
        return metrics;
    Kiln::UniqueMemoryDC dc(::CreateCompatibleDC(nullptr));
    HGDIOBJ previous = ::SelectObject(dc.Get(), Get());
    ::GetTextMetricsW(dc.Get(), &metrics);
    ::SelectObject(dc.Get(), previous);
    return metrics;
}

SIZE TemplateFont::Pixels(int dialogUnitsX, int dialogUnitsY) const
{
    return {::MulDiv(dialogUnitsX, baseX_, 4), ::MulDiv(dialogUnitsY, baseY_, 8)};
}

std::vector<TextFit> MeasureTexts(HWND dialog, HFONT font)
{
    std::vector<TextFit> fits;
    const Measure measure(font);
    Collect collect = {dialog, &measure, &fits};
    ::EnumChildWindows(dialog, MeasureChild, reinterpret_cast<LPARAM>(&collect));
    return fits;
}

std::string Describe(const TextFit& fit)
{
    std::string text;
    for (char c : fit.text)
        text += c == '\n' ? std::string("\\n") : c == '\r' ? std::string() : std::string(1, c);
    return fit.className + " " + std::to_string(fit.id) + " \"" + text + "\" needs " + std::to_string(fit.need.cx) +
           "x" + std::to_string(fit.need.cy) + " px, has " + std::to_string(fit.room.cx) + "x" +
           std::to_string(fit.room.cy);
}

}  // namespace KilnTest
