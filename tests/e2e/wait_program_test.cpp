// The real wait for a program in test mode, against real processes: two
// notepads are waited for until both have ended, while a program named
// Notepad (a different program to the wait) still runs.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "driver.h"
#include "res/resource.h"

using namespace e2e;

namespace {

class WaitForProgram : public ProgramTest {
protected:
    void TearDown() override {
        for (auto& process : notepads) process.reset();
        if (!copy.empty()) ::DeleteFileW(copy.c_str());
        ProgramTest::TearDown();
    }
    std::unique_ptr<Process> notepads[3];
    std::wstring copy;
};

TEST_F(WaitForProgram, EndsOnlyWhenEveryProcessOfTheExactNameHasEnded) {
    settings::WriteDword(L"TESTCHECK", 1);
    settings::WriteDword(L"SOUND", 0);
    settings::WriteDword(L"COUNTDOWNTIME", 1);
    wchar_t folder[MAX_PATH];
    ::GetSystemDirectoryW(folder, MAX_PATH);
    const std::wstring notepad = std::wstring(folder) + L"\\notepad.exe";
    // A program of its own named Notepad: Wine names a copy of its built-in
    // notepad after the built-in one. The idle helper is built beside this
    // test program.
    ::GetModuleFileNameW(nullptr, folder, MAX_PATH);
    const std::wstring self(folder);
    const std::wstring helper = self.substr(0, self.rfind(L'\\') + 1) + L"e2e_idle.exe";
    ::GetTempPathW(MAX_PATH, folder);
    copy = std::wstring(folder) + L"Notepad.exe";
    ASSERT_TRUE(::CopyFileW(helper.c_str(), copy.c_str(), FALSE));
    for (int i = 0; i < 3; ++i) {
        notepads[i] = Process::Start(i < 2 ? notepad : copy);
        ASSERT_TRUE(notepads[i]);
    }

    HWND main = StartProgram();
    ASSERT_TRUE(main);
    HWND manual = OpenManualDialog(main);
    ASSERT_TRUE(manual);
    // The list is refilled each time the combo gains the focus; the
    // notepads may still be starting.
    HWND combo = Control(manual, IDC_MAN_PROCESS);
    int lower = 0, upper = 0;
    ASSERT_TRUE(WaitUntil(
        [&] {
            Send(combo, WM_KILLFOCUS);
            Send(combo, WM_SETFOCUS);
            lower = upper = 0;
            for (int i = 0; i < ComboCount(manual, IDC_MAN_PROCESS); ++i) {
                const std::wstring item = ComboItem(manual, IDC_MAN_PROCESS, i);
                if (item == L"notepad" && ++lower == 1) ChooseComboItem(manual, IDC_MAN_PROCESS, i);
                upper += item == L"Notepad";
            }
            return lower == 2 && upper == 1;
        },
        kStartTimeoutMs));
    EXPECT_EQ(L"", ComboItem(manual, IDC_MAN_PROCESS, 0));

    Click(manual, IDC_MAN_WAIT);
    EXPECT_EQ(L"処理中断", ControlText(manual, IDC_MAN_WAIT));
    notepads[0]->Terminate();
    ::Sleep(2500);  // two polls at least: the other notepad still runs
    EXPECT_EQ(L"処理中断", ControlText(manual, IDC_MAN_WAIT));
    EXPECT_EQ(nullptr, FindTopLevelWindow(program()->id(), kDialogClass, L"テストモード"));

    notepads[1]->Terminate();
    HWND box = WaitForTopLevelWindow(program()->id(), kDialogClass, L"テストモード", 15000);
    ASSERT_TRUE(box) << "no test-mode message";
    EXPECT_EQ(L"シャットダウン：強制チェック OFF", MessageBoxText(box));
    EXPECT_EQ(L"ﾌﾟﾛｸﾞﾗﾑ待機終了", ControlText(manual, IDC_MAN_WAIT));
    EXPECT_TRUE(notepads[2]->Running());  // "Notepad" is another program
    PressMessageBoxButton(box, IDOK);
}

}  // namespace
