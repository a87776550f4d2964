// The headline as the main window's accessible description.
#include <gtest/gtest.h>

#include <windows.h>
#include <oleacc.h>

#include <optional>
#include <string>

#include "res/resource.h"
#include "state/app_state.h"
#include "ui/accessible_headline.h"
#include "ui_test_support.h"

namespace {

// Asks the server as oleacc does, with an [out] value that holds rubbish;
// nullopt where it gives no value, so that the default stands.
std::optional<std::wstring> Ask(const MSAAPROPID& property) {
    VARIANT value;
    value.vt = VT_I4;
    BOOL has = 2;
    EXPECT_EQ(HeadlineDescriptionServer().GetPropValue(nullptr, 0, property, &value, &has), S_OK);
    if (has == FALSE) {
        EXPECT_EQ(value.vt, VT_EMPTY);
        return std::nullopt;
    }
    EXPECT_EQ(has, TRUE);
    EXPECT_EQ(value.vt, VT_BSTR);
    std::wstring text = value.vt == VT_BSTR ? value.bstrVal : L"";
    ::VariantClear(&value);
    return text;
}

// CoInitializeEx's answer for the multithreaded apartment on this thread,
// undone at once: it differs between a thread in no apartment and one in a
// single-threaded apartment.
HRESULT ApartmentProbe() {
    const HRESULT result = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (SUCCEEDED(result)) ::CoUninitialize();
    return result;
}

TEST(AccessibleHeadline, TheDescriptionIsTheHeadlineWhenAskedAndNothingElseIsAnswered) {
    App().headline.Set(L"シャットダウンまで 00:05:00");
    EXPECT_EQ(Ask(PROPID_ACC_DESCRIPTION), L"シャットダウンまで 00:05:00");
    const std::wstring longest(decltype(App().headline)::kCapacity - 1, L'x');
    App().headline.Set(longest.c_str());
    EXPECT_EQ(Ask(PROPID_ACC_DESCRIPTION), longest);
    EXPECT_EQ(Ask(PROPID_ACC_NAME), std::nullopt);
    App().headline.Clear();  // nothing is painted
    EXPECT_EQ(Ask(PROPID_ACC_DESCRIPTION), std::nullopt);
    // Ours, as mingw-w64's liboleacc (which the program does not link) has them.
    EXPECT_EQ(kAccPropServicesClass, CLSID_AccPropServices);
    EXPECT_EQ(kAccPropServicesInterface, IID_IAccPropServices);
    EXPECT_EQ(kAccPropServerInterface, IID_IAccPropServer);
    EXPECT_EQ(kAccDescriptionProperty, PROPID_ACC_DESCRIPTION);
}

// Wine's oleacc creates the services but annotates nothing (E_NOTIMPL), so
// there only the failure is seen: the window and the thread's apartment stay
// as they were. Where the system annotates, a screen reader's question
// through the window's accessible object reaches the current headline.
TEST(AccessibleHeadline, TheWindowReadsOutTheHeadlineOrStaysAsItWas) {
    App().headline.Set(L"pending");
    test_support::TestDialog main(IDD_MAIN);
    const HRESULT apartment = ApartmentProbe();
    if (!DescribeWindowByHeadline(main.get())) {
        EXPECT_EQ(ApartmentProbe(), apartment);
        return;
    }
    EXPECT_FALSE(DescribeWindowByHeadline(main.get()));  // one window at a time
    IAccessible* accessible = nullptr;
    ASSERT_EQ(::AccessibleObjectFromWindow(main.get(), OBJID_CLIENT, __uuidof(IAccessible),
                                           reinterpret_cast<void**>(&accessible)),
              S_OK);
    for (const wchar_t* headline : {L"pending", L"then this"}) {
        App().headline.Set(headline);
        VARIANT self;
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        BSTR description = nullptr;
        EXPECT_EQ(accessible->get_accDescription(self, &description), S_OK);
        EXPECT_STREQ(description, headline);
        ::SysFreeString(description);
    }
    accessible->Release();
    ForgetWindowDescription(main.get());
    EXPECT_EQ(ApartmentProbe(), apartment);
    test_support::TestDialog next(IDD_MAIN);  // the first one let go

    EXPECT_TRUE(DescribeWindowByHeadline(next.get()));
    ForgetWindowDescription(next.get());
}

}  // namespace
