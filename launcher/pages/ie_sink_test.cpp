// The event sink as the browser control calls it: dispatch parameters last argument first,
// by-reference addresses and Cancel flags.
#include "launcher/pages/ie_sink.h"

#include <gtest/gtest.h>

#include <exdispid.h>
#include <ocidl.h>

#include "launcher/pages/com_object.h"
#include "tests/support/game_folder.h"
#include "tests/support/x_input.h"

namespace Launcher {
namespace {

using Sink = CComObject<CIESink>;

// A URL argument as the control passes it: a variant by reference holding a BSTR.
struct AddressArgument {
    explicit AddressArgument(const wchar_t* text) : bstr(::SysAllocString(text))
    {
        ::VariantInit(&inner);
        inner.vt = VT_BSTR;
        inner.bstrVal = bstr;
    }
    ~AddressArgument() { ::SysFreeString(bstr); }
    VARIANT ByRef()
    {
        VARIANT v;
        ::VariantInit(&v);
        v.vt = VT_BYREF | VT_VARIANT;
        v.pvarVal = &inner;
        return v;
    }
    BSTR bstr;
    VARIANT inner;
};

class IESinkTest : public ::testing::Test {
protected:
    IESinkTest()
    {
        EXPECT_EQ(Sink::CreateInstance(&sink_), S_OK);
        sink_->AddRef();
        // No browser: the sink plans and filters, its navigations go nowhere.
        sink_->StartNavigation({{"http://first.example/"}, ""}, "C:\\G\\");
    }
    ~IESinkTest() override { sink_->Release(); }

    // Raises an event whose arguments are all empty but the address at `addressIndex` and the
    // Cancel flag last; returns the flag afterwards.
    VARIANT_BOOL Raise(DISPID id, UINT count, UINT addressIndex, const wchar_t* address)
    {
        AddressArgument url(address);
        std::vector<VARIANT> args(count);
        for (VARIANT& v : args)
            ::VariantInit(&v);
        VARIANT_BOOL cancel = VARIANT_FALSE;
        args[0].vt = VT_BYREF | VT_BOOL;  // the last argument comes first
        args[0].pboolVal = &cancel;
        if (addressIndex < count)
            args[count - 1 - addressIndex] = url.ByRef();
        DISPPARAMS params = {args.data(), nullptr, count, 0};
        EXPECT_EQ(sink_->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr), S_OK);
        return cancel;
    }
    VARIANT_BOOL BeforeNavigate(const wchar_t* address) { return Raise(DISPID_BEFORENAVIGATE2, 7, 1, address); }

    Sink* sink_ = nullptr;
};

TEST_F(IESinkTest, AnswersOnlyItsDispatchInterfaces)
{
    for (const IID& iid : {IID_IUnknown, IID_IDispatch, DIID_DWebBrowserEvents2}) {
        IUnknown* found = nullptr;
        EXPECT_EQ(sink_->QueryInterface(iid, reinterpret_cast<void**>(&found)), S_OK);
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(found->Release(), 1u);
    }
    IUnknown* none = reinterpret_cast<IUnknown*>(1);
    EXPECT_EQ(sink_->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&none)), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
}

TEST_F(IESinkTest, EventsCancelWhatLeavesThePage)
{
    EXPECT_EQ(BeforeNavigate(L"HTTP://FIRST.example/"), VARIANT_FALSE);
    EXPECT_EQ(BeforeNavigate(L"res://ieframe.dll/x"), VARIANT_FALSE);
    EXPECT_EQ(BeforeNavigate(L"about:blank"), VARIANT_TRUE);  // not yet the current address
    EXPECT_EQ(Raise(DISPID_NEWWINDOW2, 2, 5, nullptr), VARIANT_TRUE);

    // The first address fails: the error page is suppressed and the page moves on to about:blank.
    EXPECT_FALSE(sink_->IsNavigationComplete());
    EXPECT_EQ(Raise(DISPID_NAVIGATEERROR, 5, 1, L"http://first.example/"), VARIANT_TRUE);
    EXPECT_EQ(BeforeNavigate(L"about:blank"), VARIANT_FALSE);
    Raise(DISPID_NAVIGATECOMPLETE2, 2, 1, L"about:blank");
    EXPECT_TRUE(sink_->IsNavigationComplete());
}

TEST_F(IESinkTest, OtherAddressesGoToTheDefaultHandler)
{
    // A scheme of this test, whose handler records the address it was given.
    const KilnTest::GameFolder folder("ie_sink_handler");
    const std::string record = folder.PathOf("opened.txt");
    const char* classes = "kilntest";
    HKEY scheme = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CLASSES_ROOT, classes, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &scheme, nullptr),
              ERROR_SUCCESS);
    ::RegSetValueExA(scheme, "URL Protocol", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
    const std::string command = "cmd.exe /c echo %1>\"" + record + "\"";
    ::RegSetValueA(scheme, "shell\\open\\command", REG_SZ, command.c_str(), static_cast<DWORD>(command.size()));
    ::RegCloseKey(scheme);
    struct RemoveScheme {
        ~RemoveScheme() { ::RegDeleteTreeA(HKEY_CLASSES_ROOT, "kilntest"); }
    } removeScheme;

    EXPECT_EQ(BeforeNavigate(L"kilntest:Elsewhere/Page"), VARIANT_TRUE);
    EXPECT_TRUE(KilnTest::PumpUntil([&] { return folder.Exists("opened.txt") && !folder.Read("opened.txt").empty(); },
                                    10000));
    EXPECT_EQ(folder.Read("opened.txt"), "kilntest:Elsewhere/Page\r\n");
}

}  // namespace
}  // namespace Launcher
