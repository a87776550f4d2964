// The real wait for a program in test mode, against real processes: it ends
// only once every process of the exact name has ended, whether 64-bit or
// 32-bit, while a program whose name differs only in letter case still runs.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "driver.h"
#include "res/resource.h"

using namespace e2e;

namespace {

// The system folder of 64-bit programs, or with GetSystemWow64DirectoryW of
// 32-bit ones.
std::wstring SystemFolder(UINT(WINAPI* query)(LPWSTR, UINT)) {
    wchar_t folder[MAX_PATH] = L"";
    query(folder, MAX_PATH);
    return folder;
}

// The helper that runs until it is ended, built beside this test program.
std::wstring IdleHelper() {
    wchar_t self[MAX_PATH] = L"";
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring path(self);
    return path.substr(0, path.rfind(L'\\') + 1) + L"e2e_idle.exe";
}

// True for a process that runs under WoW64: a 32-bit one on 64-bit Windows.
bool IsWow64(const Process& process) {
    BOOL wow64 = FALSE;
    return ::IsWow64Process(process.handle(), &wow64) && wow64;
}

class WaitForProgram : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        settings::WriteDword(L"TESTCHECK", 1);
        settings::WriteDword(L"SOUND", 0);
        settings::WriteDword(L"COUNTDOWNTIME", 1);
    }
    void TearDown() override {
        processes.clear();
        if (!copy.empty()) ::DeleteFileW(copy.c_str());
        ProgramTest::TearDown();
    }

    // Starts `path` for the rest of the test.
    Process* Run(const std::wstring& path) {
        processes.push_back(Process::Start(path));
        return processes.back().get();
    }

    // Starts the program, opens the manual operations dialog and waits until
    // the process list shows each name of `listed` that many times; then
    // chooses `name` and presses IDC_MAN_WAIT. The dialog, or nullptr.
    HWND StartWaitingFor(const std::wstring& name, const std::map<std::wstring, int>& listed) {
        HWND main = StartProgram();
        HWND manual = main ? OpenManualDialog(main) : nullptr;
        if (!manual) return nullptr;
        // The list is refilled each time the combo gains the focus; the
        // processes may still be starting.
        HWND combo = Control(manual, IDC_MAN_PROCESS);
        std::map<std::wstring, int> seen;
        const bool shown = WaitUntil(
            [&] {
                Send(combo, WM_KILLFOCUS);
                Send(combo, WM_SETFOCUS);
                seen.clear();
                for (int i = 0; i < ComboCount(manual, IDC_MAN_PROCESS); ++i) {
                    const std::wstring item = ComboItem(manual, IDC_MAN_PROCESS, i);
                    if (listed.count(item) != 0) ++seen[item];
                    if (item == name && seen[item] == 1) ChooseComboItem(manual, IDC_MAN_PROCESS, i);
                }
                return seen == listed;
            },
            kStartTimeoutMs);
        EXPECT_TRUE(shown) << "\"" << std::string(name.begin(), name.end()) << "\" listed " << seen[name] << " times";
        EXPECT_EQ(L"", ComboItem(manual, IDC_MAN_PROCESS, 0));
        if (!shown) return nullptr;
        Click(manual, IDC_MAN_WAIT);
        EXPECT_EQ(L"処理中断", ControlText(manual, IDC_MAN_WAIT));
        return manual;
    }

    // Two polls at least pass, and the wait goes on.
    void ExpectStillWaiting(HWND manual) {
        ::Sleep(2500);
        EXPECT_EQ(L"処理中断", ControlText(manual, IDC_MAN_WAIT));
        EXPECT_EQ(nullptr, FindTopLevelWindow(program()->id(), kDialogClass, L"テストモード"));
    }

    // The wait has ended in the end action, shown as a test-mode message.
    void ExpectActed(HWND manual) {
        HWND box = WaitForTopLevelWindow(program()->id(), kDialogClass, L"テストモード", 15000);
        ASSERT_TRUE(box) << "no test-mode message";
        EXPECT_EQ(L"シャットダウン：強制チェック OFF", MessageBoxText(box));
        EXPECT_EQ(L"ﾌﾟﾛｸﾞﾗﾑ待機終了", ControlText(manual, IDC_MAN_WAIT));
        PressMessageBoxButton(box, IDOK);
    }

    std::vector<std::unique_ptr<Process>> processes;
    std::wstring copy;
};

TEST_F(WaitForProgram, EndsOnlyWhenEveryProcessOfTheNameHasEndedWhateverItsCase) {
    const std::wstring notepad = SystemFolder(::GetSystemDirectoryW) + L"\\notepad.exe";
    // A program of its own named Notepad: Wine names a copy of its built-in
    // notepad after the built-in one. Windows' file names ignore case, so it
    // is the same program to the wait.
    wchar_t temp[MAX_PATH] = L"";
    ::GetTempPathW(MAX_PATH, temp);
    copy = std::wstring(temp) + L"Notepad.exe";
    ASSERT_TRUE(::CopyFileW(IdleHelper().c_str(), copy.c_str(), FALSE));
    Process* first = Run(notepad);
    Process* second = Run(notepad);
    Process* other = Run(copy);
    ASSERT_TRUE(first && second && other);

    HWND manual = StartWaitingFor(L"notepad", {{L"notepad", 2}, {L"Notepad", 1}});
    ASSERT_TRUE(manual);
    first->Terminate();
    ExpectStillWaiting(manual);  // the other notepad still runs
    second->Terminate();
    ExpectStillWaiting(manual);  // and so does "Notepad"
    other->Terminate();
    ExpectActed(manual);
}

// Either build names a 64-bit process as it names a 32-bit one, from the
// system's process list: the 32-bit build cannot read a 64-bit process.
TEST_F(WaitForProgram, WaitsForA64BitProcessAsForA32BitOne) {
    Process* wide = Run(SystemFolder(::GetSystemDirectoryW) + L"\\notepad.exe");
    Process* narrow = Run(SystemFolder(::GetSystemWow64DirectoryW) + L"\\notepad.exe");
    ASSERT_TRUE(wide && narrow);
    EXPECT_FALSE(IsWow64(*wide));
    EXPECT_TRUE(IsWow64(*narrow));

    HWND manual = StartWaitingFor(L"notepad", {{L"notepad", 2}});
    ASSERT_TRUE(manual);
    narrow->Terminate();
    ExpectStillWaiting(manual);  // the 64-bit notepad still runs
    wide->Terminate();
    ExpectActed(manual);
}

}  // namespace
