// Drives the real quillmarsh.exe from this separate test process: starts it,
// finds its windows, reads and presses their controls as a user would, reads
// and writes its registry settings, and makes sure that no instance started
// by a test outlives it. Every end-to-end test builds on this.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/handle.h"

namespace e2e {

// Wine can take seconds to start a process on a busy machine, so waits are
// long; polls are short so that a passing test stays fast.
inline constexpr DWORD kStartTimeoutMs = 30000;
inline constexpr DWORD kWaitTimeoutMs = 10000;
inline constexpr DWORD kSendTimeoutMs = 5000;
inline constexpr DWORD kPollMs = 20;

inline constexpr wchar_t kDialogClass[] = L"#32770";
inline constexpr wchar_t kMainTitle[] = L"ｸｲﾙﾏｰｼｭ v1.13 by tovakeli";
inline constexpr wchar_t kManualTitle[] = L"ｸｲﾙﾏｰｼｭ：手動処理";
inline constexpr wchar_t kSettingsTitle[] = L"ｸｲﾙﾏｰｼｭ：設定";
inline constexpr wchar_t kPhraseTitle[] = L"tovakeli: 好きな言葉 or 実行コマンド";

// ---- The program under test ------------------------------------------------

// "/a/b" becomes "Z:\a\b" (Wine maps the Unix root to drive Z:); a path that
// is already a Windows path is returned unchanged.
std::wstring WindowsPathOf(const std::wstring& path);

// The program's path, taken from the last command-line argument.
void SetProgramPath(const std::wstring& path);
const std::wstring& ProgramPath();

// The local wall-clock time in whole seconds (since 1601), for tests that
// arm an operation for the next minute.
inline ULONGLONG LocalSeconds() {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    FILETIME file;
    ::SystemTimeToFileTime(&now, &file);
    return (static_cast<ULONGLONG>(file.dwHighDateTime) << 32 | file.dwLowDateTime) / 10000000ULL;
}

// Calls `condition` every kPollMs until it returns true or `timeoutMs` has
// passed; the result of the last call.
template <typename Condition>
bool WaitUntil(Condition condition, DWORD timeoutMs = kWaitTimeoutMs) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (::GetTickCount() - start >= timeoutMs) return condition();
        ::Sleep(kPollMs);
    }
}

// One started instance of the program. The process is put into a job that
// kills it when the job handle closes, so that it ends with this test process
// even when the test process itself is killed.
class Process {
public:
    // Starts `path` without inheriting handles; nullptr if it cannot start.
    static std::unique_ptr<Process> Start(const std::wstring& path);

    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process();

    DWORD id() const { return id_; }
    HANDLE handle() const { return process_.get(); }
    bool Running() const;
    // The exit code once the process has ended, or nothing on timeout.
    std::optional<DWORD> WaitForExit(DWORD timeoutMs = kWaitTimeoutMs) const;
    // Ends the process if it still runs and waits until it has gone.
    void Terminate();

private:
    Process(OwnedHandle process, OwnedHandle job, DWORD id);

    OwnedHandle process_;
    OwnedHandle job_;
    DWORD id_ = 0;
};

// ---- Windows ---------------------------------------------------------------

// Top-level windows of process `pid`, visible or not.
std::vector<HWND> TopLevelWindows(DWORD pid);

// The first visible top-level window of `pid` with this class and title;
// either may be nullptr to match any.
HWND FindTopLevelWindow(DWORD pid, const wchar_t* windowClass, const wchar_t* title);
HWND WaitForTopLevelWindow(DWORD pid, const wchar_t* windowClass, const wchar_t* title,
                           DWORD timeoutMs = kWaitTimeoutMs);

// The main window of `pid`, once initialised and shown.
HWND WaitForMainWindow(DWORD pid, DWORD timeoutMs = kStartTimeoutMs);
// Presses "手動処理" in the main window and waits for the manual operations
// dialog; nullptr if it does not appear.
HWND OpenManualDialog(HWND main);
// Presses "設定" and waits for the settings dialog; nullptr if it does not
// appear.
HWND OpenSettingsDialog(HWND main);
// Right-clicks the main window and waits for the phrase dialog; nullptr if it
// does not appear.
HWND OpenPhraseDialog(HWND main);
// The main window of `pid` whether shown or hidden (hidden behind the icon).
HWND FindMainWindow(DWORD pid, DWORD timeoutMs = kStartTimeoutMs);

// True if the window's thread handles a sent message within `timeoutMs`.
bool Responds(HWND window, DWORD timeoutMs = kSendTimeoutMs);

// A message sent with a timeout, so that a hung program fails the test
// instead of hanging it. Records a test failure on timeout.
LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
// A posted message: for actions that open a modal loop or end the program,
// where a send would not return until that is over.
void Post(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

// The notification icon: its callback message and id, and whether the
// notification area holds it (a modify that changes nothing succeeds only
// for an icon that is there).
inline constexpr UINT kTrayMessage = 0x8002;
inline constexpr UINT kTrayIconId = 0x8001;
bool IconShown(HWND main);

// ---- Controls of a dialog ----------------------------------------------------

HWND Control(HWND dialog, int id);
std::wstring Text(HWND window);
std::wstring ControlText(HWND dialog, int id);
bool IsChecked(HWND dialog, int id);
bool IsEnabled(HWND dialog, int id);

// Presses a button and returns once its handler has run.
void Click(HWND dialog, int id);
// Presses a button without waiting for its handler.
void PostClick(HWND dialog, int id);

// A combo's selected index (CB_ERR for none), item count and item texts.
int ComboSelection(HWND dialog, int id);
int ComboCount(HWND dialog, int id);
std::wstring ComboItem(HWND dialog, int id, int index);
// Selects an item and notifies the parent with CBN_SELCHANGE, as the combo
// does when the user picks from its list.
void ChooseComboItem(HWND dialog, int id, int index);

// Chooses the next whole minute (the one after, when fewer than 8 seconds are
// left to set it up) in an hour and a minute combo; returns that moment as
// LocalSeconds gives it.
inline ULONGLONG ChooseNextMinute(HWND dialog, int hourCombo, int minuteCombo) {
    ULONGLONG target = (LocalSeconds() / 60 + 1) * 60;
    if (target - LocalSeconds() < 8) target += 60;
    const int minuteOfDay = static_cast<int>(target / 60 % (24 * 60));
    ChooseComboItem(dialog, hourCombo, minuteOfDay / 60);
    ChooseComboItem(dialog, minuteCombo, minuteOfDay % 60);
    return target;
}

// Posts a key press (down and up) to `window`: the program's message loop
// sees it as typed, including its dialog-manager handling.
void PressKey(HWND window, UINT virtualKey);

// The text of a message box and the press of one of its buttons.
std::wstring MessageBoxText(HWND box);
void PressMessageBoxButton(HWND box, int id);

// The program's own box ("ｸｲﾙﾏｰｼｭ": a warning or refusal as it arms): waits
// for it, closes it with OK and returns its text; empty when none came.
inline constexpr wchar_t kProgramBoxTitle[] = L"ｸｲﾙﾏｰｼｭ";
std::wstring AnswerProgramBox(DWORD pid, DWORD timeoutMs = kWaitTimeoutMs);

// ---- Screen -----------------------------------------------------------------

// The screen's dots per inch as this process sees them: Wine reads the
// prefix's setting as each process starts.
int ScreenDpi();

// A control's rectangle in its parent's client coordinates.
RECT RectInParent(HWND control);

// Pixels read back from the screen, 0x00RRGGBB, row by row.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<DWORD> pixels;
    DWORD at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + x]; }
};

// The window's client area as the screen shows it at this moment, whatever
// covers it included; empty if it cannot be read.
Picture CaptureClient(HWND window);

// ---- Registry ----------------------------------------------------------------

inline constexpr wchar_t kSettingsKey[] = L"Software\\tovakeli\\quillmarsh";
inline constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr wchar_t kRunValue[] = L"quillmarsh";

struct RegValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    bool operator==(const RegValue& other) const { return type == other.type && data == other.data; }
};

// Every value of a key under HKEY_CURRENT_USER by name; nothing for a key
// that does not exist.
std::optional<std::map<std::wstring, RegValue>> KeySnapshot(const wchar_t* path);

// The settings key under HKEY_CURRENT_USER, which the test process shares
// with the program through the one Wine prefix.
namespace settings {
bool KeyExists();
void DeleteKey();
std::vector<std::wstring> ValueNames();
std::optional<RegValue> Read(const wchar_t* name);
// The value only if it is a REG_DWORD of 4 bytes.
std::optional<DWORD> ReadDword(const wchar_t* name);
void Write(const wchar_t* name, DWORD type, const void* data, std::size_t bytes);
void WriteDword(const wchar_t* name, DWORD value);
// A REG_SZ of (length + 1) * 2 bytes.
void WriteString(const wchar_t* name, const std::wstring& text);
void Delete(const wchar_t* name);
}  // namespace settings

// The start-up entry "quillmarsh" under the Run key.
namespace startup {
std::optional<RegValue> Read();
void Write(const std::wstring& text);
void Delete();
}  // namespace startup

// ---- Stress ------------------------------------------------------------------

// The number of rounds and the seed of a stress test: QM_STRESS_COUNT and
// QM_STRESS_SEED from the environment, else the quick defaults given.
unsigned StressCount(unsigned quick);
unsigned StressSeed(unsigned quick);
// Threads of `pid` (Toolhelp) and open handles of a process; 0 if unknown.
std::size_t ThreadCount(DWORD pid);
DWORD HandleCount(HANDLE process);

// ---- Fixture -----------------------------------------------------------------

// Owns every instance a test starts and ends those still running.
class Instances {
public:
    // Starts another instance; nullptr (and a test failure) if it cannot.
    Process* Launch();
    // Starts an instance and waits for its main window; nullptr (and a test
    // failure) if it does not appear.
    HWND StartWithWindow();
    Process* first() const { return processes_.empty() ? nullptr : processes_.front().get(); }
    void TerminateAll();

private:
    std::vector<std::unique_ptr<Process>> processes_;
};

// Clears the settings key and the start-up entry, and fails when another
// instance of the program is already running (it would hold the
// single-instance guard and falsify every result).
void PrepareCleanState();

template <typename Base>
class ProgramTestBase : public Base {
protected:
    void SetUp() override { PrepareCleanState(); }
    void TearDown() override { instances_.TerminateAll(); }

    // Starts the program and waits for its main window.
    HWND StartProgram() { return instances_.StartWithWindow(); }
    Process* Launch() { return instances_.Launch(); }
    Process* program() const { return instances_.first(); }

    Instances instances_;
};

using ProgramTest = ProgramTestBase<::testing::Test>;
template <typename Param>
using ProgramTestWithParam = ProgramTestBase<::testing::TestWithParam<Param>>;

}  // namespace e2e
