// The real manual operations dialog: minimising while it and the settings
// dialog are open, and the registry reset with its two real message boxes.
#include <gtest/gtest.h>

#include <ostream>

#include "driver.h"
#include "res/resource.h"

using namespace e2e;

namespace {

constexpr wchar_t kSettingsTitle[] = L"ｸｲﾙﾏｰｼｭ：設定";
constexpr wchar_t kManualTitle[] = L"ｸｲﾙﾏｰｼｭ：手動処理";

// A top-level window of `pid` with this title, shown or hidden.
HWND FindAnyWindow(DWORD pid, const wchar_t* title) {
    HWND found = nullptr;
    WaitUntil([&] {
        for (HWND window : TopLevelWindows(pid)) {
            if (Text(window) == title)
                found = window;
        }
        return found != nullptr;
    });
    return found;
}

struct MinimiseCase {
    const char* label;
    int openedFirst;   // waited for until it shows; 0 for none
    int openedSecond;  // its click, then the minimise, posted at once
};

void PrintTo(const MinimiseCase& c, std::ostream* out) {
    *out << c.label;
}

class MinimiseWithDialogs : public ProgramTestWithParam<MinimiseCase> {};

// A minimise that reaches a dialog loop before it has once gone idle used to
// be undone by that loop, which shows its dialog when it first goes idle.
TEST_P(MinimiseWithDialogs, AllStayHiddenUntilTheIconIsClicked) {
    HWND main = StartProgram();
    ASSERT_TRUE(main);
    const DWORD pid = program()->id();
    if (GetParam().openedFirst == IDC_MAIN_MANUAL) {
        PostClick(main, IDC_MAIN_MANUAL);
        ASSERT_TRUE(WaitForTopLevelWindow(pid, kDialogClass, kManualTitle));
    } else if (GetParam().openedFirst == IDC_MAIN_SETTINGS) {
        PostClick(main, IDC_MAIN_SETTINGS);
        ASSERT_TRUE(WaitForTopLevelWindow(pid, kDialogClass, kSettingsTitle));
    } else {
        PostClick(main, IDC_MAIN_SETTINGS);
    }
    PostClick(main, GetParam().openedSecond);
    Post(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);

    const HWND windows[] = {main, FindAnyWindow(pid, kSettingsTitle),
                            FindAnyWindow(pid, kManualTitle)};
    ASSERT_TRUE(windows[1] && windows[2]);
    for (int poll = 0; poll < 10; ++poll) {
        ::Sleep(100);
        for (HWND window : windows)
            ASSERT_FALSE(::IsWindowVisible(window)) << Text(window) << ", poll " << poll;
    }

    Post(main, 0x8002, 0x8001, WM_LBUTTONDOWN);  // a click on the icon
    for (HWND window : windows)
        EXPECT_TRUE(WaitUntil([&] { return ::IsWindowVisible(window) != FALSE; }));
}

const MinimiseCase kMinimiseCases[] = {
    {"SettingsThenManual", IDC_MAIN_SETTINGS, IDC_MAIN_MANUAL},
    {"ManualThenSettings", IDC_MAIN_MANUAL, IDC_MAIN_SETTINGS},
    {"BothAtOnce", 0, IDC_MAIN_MANUAL},
};

INSTANTIATE_TEST_SUITE_P(Orders, MinimiseWithDialogs, ::testing::ValuesIn(kMinimiseCases),
                         [](const ::testing::TestParamInfo<MinimiseCase>& info) {
                             return info.param.label;
                         });

}  // namespace
