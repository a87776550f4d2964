// The real manual operations dialog: minimising while it and the settings
// dialog are open, and the registry reset with its two message boxes.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "driver.h"
#include "res/resource.h"

using namespace e2e;

namespace {

constexpr wchar_t kSettingsTitle[] = L"ｸｲﾙﾏｰｼｭ：設定";

// A top-level window of `pid` with this title, shown or hidden.
HWND FindAnyWindow(DWORD pid, const wchar_t* title) {
    HWND found = nullptr;
    WaitUntil([&] {
        for (HWND window : TopLevelWindows(pid)) {
            if (Text(window) == title) found = window;
        }
        return found != nullptr;
    });
    return found;
}

struct MinimiseCase {
    const char* label;
    int firstButton;
    const wchar_t* firstTitle;
    int secondButton;
};

void PrintTo(const MinimiseCase& c, std::ostream* out) { *out << c.label; }

class MinimiseWithDialogs : public ProgramTestWithParam<MinimiseCase> {};

// The second dialog's loop handles the minimise before it has once gone idle,
// the moment a dialog loop shows its dialog: that used to undo the hiding.
TEST_P(MinimiseWithDialogs, AllStayHiddenUntilTheIconIsClicked) {
    HWND main = StartProgram();
    ASSERT_TRUE(main);
    const DWORD pid = program()->id();
    PostClick(main, GetParam().firstButton);
    ASSERT_TRUE(WaitForTopLevelWindow(pid, kDialogClass, GetParam().firstTitle));
    PostClick(main, GetParam().secondButton);
    Post(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);

    const HWND windows[] = {main, FindAnyWindow(pid, kSettingsTitle), FindAnyWindow(pid, kManualTitle)};
    ASSERT_TRUE(windows[1] && windows[2]);
    for (int poll = 0; poll < 10; ++poll, ::Sleep(100)) {
        for (HWND window : windows) ASSERT_FALSE(::IsWindowVisible(window)) << Text(window) << " " << poll;
    }
    Post(main, kTrayMessage, kTrayIconId, WM_LBUTTONDOWN);  // a click on the icon
    for (HWND window : windows) EXPECT_TRUE(WaitUntil([&] { return ::IsWindowVisible(window) != FALSE; }));
}

const MinimiseCase kMinimiseCases[] = {
    {"SettingsThenManual", IDC_MAIN_SETTINGS, kSettingsTitle, IDC_MAIN_MANUAL},
    {"ManualThenSettings", IDC_MAIN_MANUAL, kManualTitle, IDC_MAIN_SETTINGS},
};

INSTANTIATE_TEST_SUITE_P(Orders, MinimiseWithDialogs, ::testing::ValuesIn(kMinimiseCases),
                         [](const auto& info) { return info.param.label; });

using ManualDialog = ProgramTest;

// The reset deletes the stored settings and the start-up entry only; the
// running program goes on showing and using its settings.
TEST_F(ManualDialog, ResetAnsweredNoKeepsAndYesDeletesTheStoredSettings) {
    settings::WriteDword(L"TESTCHECK", 1);
    startup::Write(L"C:\\quillmarsh.exe");
    HWND main = StartProgram();
    ASSERT_TRUE(main);
    const DWORD pid = program()->id();
    HWND manual = OpenManualDialog(main);
    ASSERT_TRUE(manual);
    const std::wstring summary = ControlText(main, IDC_MAIN_SUMMARY);

    // The question, then for Yes the confirmation, each owned by the dialog.
    auto answerBox = [&](const wchar_t* text, int button) {
        HWND box = nullptr;
        ASSERT_TRUE(WaitUntil([&] {
            box = FindTopLevelWindow(pid, kDialogClass, L"ｸｲﾙﾏｰｼｭ");
            return box != nullptr && MessageBoxText(box) == text;
        }));
        EXPECT_EQ(manual, ::GetWindow(box, GW_OWNER));
        PressMessageBoxButton(box, button);
        ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(box); }));
    };
    constexpr wchar_t kQuestion[] = L"レジストリデータを初期化します。\r\n実行しますか？";
    PostClick(manual, IDC_MAN_RESET);
    answerBox(kQuestion, IDNO);
    EXPECT_EQ(settings::ValueNames(), std::vector<std::wstring>{L"TESTCHECK"});
    EXPECT_TRUE(startup::Read());

    PostClick(manual, IDC_MAN_RESET);
    answerBox(kQuestion, IDYES);
    answerBox(L"レジストリデータを初期化しました", IDOK);
    EXPECT_FALSE(settings::KeyExists());
    EXPECT_FALSE(startup::Read());
    EXPECT_TRUE(IsChecked(main, IDC_MAIN_TEST));
    EXPECT_EQ(summary, ControlText(main, IDC_MAIN_SUMMARY));

    // The next change creates the key again, with that one value.
    Click(main, IDC_MAIN_LOGOFF);
    EXPECT_EQ(settings::ValueNames(), std::vector<std::wstring>{L"WAYTOEND"});
}

}  // namespace
