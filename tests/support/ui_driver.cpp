#include "tests/support/ui_driver.h"

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <vector>

#include "kiln/base/scoped_win.h"

namespace KilnTest {
namespace {

constexpr int kMessageBoxTextId = 0xFFFF;

// Memory in another process, for the messages whose pointers Windows does not carry across.
class RemoteBuffer {
public:
    RemoteBuffer(HWND window, size_t size) : size_(size)
    {
        DWORD processId = 0;
        ::GetWindowThreadProcessId(window, &processId);
        process_.Reset(::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId));
        if (process_)
            address_ = ::VirtualAllocEx(process_.Get(), nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    ~RemoteBuffer()
    {
        if (address_)
            ::VirtualFreeEx(process_.Get(), address_, 0, MEM_RELEASE);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    bool Valid() const { return address_ != nullptr; }
    char* Address(size_t offset = 0) const { return static_cast<char*>(address_) + offset; }
    void Write(size_t offset, const void* data, size_t size) const
    {
        ::WriteProcessMemory(process_.Get(), Address(offset), data, size, nullptr);
    }
    void Read(size_t offset, void* data, size_t size) const
    {
        ::ReadProcessMemory(process_.Get(), Address(offset), data, size, nullptr);
    }

private:
    Kiln::UniqueHandle process_;
    void* address_ = nullptr;
    size_t size_;
};

struct ListMessages {
    UINT count;
    UINT textLength;
    UINT text;
    UINT selected;
    UINT select;
    WORD changed;
};

ListMessages MessagesFor(HWND control)
{
    char className[64] = {};
    ::GetClassNameA(control, className, sizeof className);
    if (lstrcmpiA(className, "ComboBox") == 0)
        return {CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT, CB_GETCURSEL, CB_SETCURSEL, CBN_SELCHANGE};
    return {LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT, LB_GETCURSEL, LB_SETCURSEL, LBN_SELCHANGE};
}

struct WindowQuery {
    DWORD processId;
    const char* className;
    const char* caption;
    HWND found;
};

BOOL CALLBACK FindVisibleDialog(HWND child, LPARAM context)
{
    char className[32] = {};
    ::GetClassNameA(child, className, sizeof className);
    if (std::string(className) != "#32770" || !::IsWindowVisible(child))
        return TRUE;
    *reinterpret_cast<HWND*>(context) = child;
    return FALSE;
}

BOOL CALLBACK MatchWindow(HWND window, LPARAM context)
{
    auto* query = reinterpret_cast<WindowQuery*>(context);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != query->processId || !::IsWindowVisible(window))
        return TRUE;
    if (query->className) {
        char className[256] = {};
        ::GetClassNameA(window, className, sizeof className);
        if (std::string(className) != query->className)
            return TRUE;
    }
    if (query->caption && WindowText(window) != query->caption)
        return TRUE;
    query->found = window;
    return FALSE;
}

}  // namespace

HWND WaitForWindow(DWORD processId, const char* className, const char* caption, DWORD timeoutMs)
{
    const DWORD start = ::GetTickCount();
    for (;;) {
        WindowQuery query = {processId, className, caption, nullptr};
        ::EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&query));
        if (query.found)
            return query.found;
        if (::GetTickCount() - start > timeoutMs)
            return nullptr;
        ::Sleep(20);
    }
}

HWND WaitForDialog(DWORD processId, const char* caption, DWORD timeoutMs)
{
    return WaitForWindow(processId, "#32770", caption, timeoutMs);
}

std::string WindowText(HWND window)
{
    const int length = ::GetWindowTextLengthA(window);
    std::vector<char> text(static_cast<size_t>(length) + 1, '\0');
    ::GetWindowTextA(window, text.data(), length + 1);
    return text.data();
}

std::string ItemText(HWND dialog, int id)
{
    HWND item = ::GetDlgItem(dialog, id);
    return item ? WindowText(item) : std::string();
}

std::string ControlText(HWND control)
{
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutA(control, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kWindowTimeoutMs, &length))
        return {};
    // WM_GETTEXT is carried across processes with its buffer.
    std::vector<char> text(length + 1, '\0');
    DWORD_PTR copied = 0;
    ::SendMessageTimeoutA(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                          kWindowTimeoutMs, &copied);
    return std::string(text.data(), std::min<size_t>(copied, length));
}

bool ItemVisible(HWND dialog, int id)
{
    HWND item = ::GetDlgItem(dialog, id);
    return item && ::IsWindowVisible(item);
}

RECT EditFormattingRect(HWND edit)
{
    // An edit message of the system's own controls: Windows carries its rectangle across.
    RECT rect = {};
    DWORD_PTR result = 0;
    ::SendMessageTimeoutA(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&rect), SMTO_ABORTIFHUNG, kWindowTimeoutMs,
                          &result);
    return rect;
}

HWND CurrentPage(HWND window)
{
    HWND page = nullptr;
    ::EnumChildWindows(window, FindVisibleDialog, reinterpret_cast<LPARAM>(&page));
    return page;
}

HWND FocusedWindow(HWND window)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info))
        return nullptr;
    return info.hwndFocus;
}

void Click(HWND dialog, int id)
{
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

void PressButton(HWND dialog, int id)
{
    ::SendMessageA(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

bool IsChecked(HWND dialog, int id)
{
    return ::SendMessageA(::GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

std::vector<std::string> TabCaptions(HWND tabControl)
{
    std::vector<std::string> captions;
    constexpr size_t kTextSize = 256;
    RemoteBuffer remote(tabControl, sizeof(TCITEMA) + kTextSize);
    if (!remote.Valid())
        return captions;
    const int count = static_cast<int>(::SendMessageA(tabControl, TCM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        TCITEMA item = {};
        item.mask = TCIF_TEXT;
        item.pszText = remote.Address(sizeof(TCITEMA));
        item.cchTextMax = kTextSize;
        remote.Write(0, &item, sizeof item);
        ::SendMessageA(tabControl, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(remote.Address()));
        char text[kTextSize] = {};
        remote.Read(sizeof(TCITEMA), text, kTextSize - 1);
        captions.push_back(text);
    }
    return captions;
}

int SelectedTab(HWND tabControl)
{
    return static_cast<int>(::SendMessageA(tabControl, TCM_GETCURSEL, 0, 0));
}

void SelectTab(HWND tabControl, int index)
{
    // Moving the focus of a tab control without button style selects the tab and notifies
    // the parent, as a click does.
    ::SendMessageA(tabControl, TCM_SETCURFOCUS, index, 0);
}

RECT TabDisplayArea(HWND tabControl)
{
    RECT area = {};
    ::GetClientRect(tabControl, &area);
    RemoteBuffer remote(tabControl, sizeof area);
    if (!remote.Valid())
        return {};
    remote.Write(0, &area, sizeof area);
    ::SendMessageA(tabControl, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(remote.Address()));
    remote.Read(0, &area, sizeof area);
    ::MapWindowPoints(tabControl, nullptr, reinterpret_cast<POINT*>(&area), 2);
    return area;
}

std::vector<std::string> ListEntries(HWND dialog, int id)
{
    HWND control = ::GetDlgItem(dialog, id);
    const ListMessages messages = MessagesFor(control);
    std::vector<std::string> entries;
    // Across processes only the wide-character form of the text messages comes back whole.
    const int count = static_cast<int>(::SendMessageW(control, messages.count, 0, 0));
    for (int i = 0; i < count; ++i) {
        const LRESULT length = ::SendMessageW(control, messages.textLength, i, 0);
        std::vector<wchar_t> text(length > 0 ? static_cast<size_t>(length) + 1 : 1, L'\0');
        ::SendMessageW(control, messages.text, i, reinterpret_cast<LPARAM>(text.data()));
        char narrow[512] = {};
        ::WideCharToMultiByte(CP_ACP, 0, text.data(), -1, narrow, sizeof narrow - 1, nullptr, nullptr);
        entries.push_back(narrow);
    }
    return entries;
}

int SelectedEntry(HWND dialog, int id)
{
    HWND control = ::GetDlgItem(dialog, id);
    return static_cast<int>(::SendMessageA(control, MessagesFor(control).selected, 0, 0));
}

void ChooseEntry(HWND dialog, int id, int index)
{
    HWND control = ::GetDlgItem(dialog, id);
    const ListMessages messages = MessagesFor(control);
    ::SendMessageA(control, messages.select, index, 0);
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, messages.changed), reinterpret_cast<LPARAM>(control));
}

void PressKey(HWND window, WORD virtualKey)
{
    const UINT scanCode = ::MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC);
    ::PostMessageA(window, WM_KEYDOWN, virtualKey, 1 | (scanCode << 16));
    ::PostMessageA(window, WM_KEYUP, virtualKey, 1 | (scanCode << 16) | 0xC0000000u);
}

void PressCloseBox(HWND window)
{
    ::PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
}

std::string MessageBoxText(HWND box)
{
    return ItemText(box, kMessageBoxTextId);
}

void DismissMessageBox(HWND box)
{
    ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

std::string SelectedTreeItemText(HWND tree)
{
    constexpr size_t kTextSize = 256;
    const RemoteBuffer remote(tree, sizeof(TVITEMA) + kTextSize);
    const auto selected = reinterpret_cast<HTREEITEM>(::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (!remote.Valid() || !selected)
        return {};
    TVITEMA item = {};
    item.mask = TVIF_TEXT;
    item.hItem = selected;
    item.pszText = remote.Address(sizeof(TVITEMA));
    item.cchTextMax = kTextSize;
    remote.Write(0, &item, sizeof item);
    ::SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(remote.Address()));
    char text[kTextSize] = {};
    remote.Read(sizeof(TVITEMA), text, kTextSize - 1);
    return text;
}

bool SelectBrowsedFolder(HWND dialog, const std::wstring& path)
{
    PIDLIST_ABSOLUTE folder = ::ILCreateFromPathW(path.c_str());
    if (!folder)
        return false;
    const UINT size = ::ILGetSize(folder);
    const RemoteBuffer buffer(dialog, size);
    if (buffer.Valid()) {
        buffer.Write(0, folder, size);
        ::SendMessageW(dialog, BFFM_SETSELECTIONW, FALSE, reinterpret_cast<LPARAM>(buffer.Address()));
    }
    ::ILFree(folder);
    return buffer.Valid();
}

}  // namespace KilnTest
