// Shared by the window tests: real dialogs made from the program's own
// templates with a do-nothing procedure, and a fresh application state for
// every test.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <string>

#include "dialogs/dialogs.h"
#include "schedule/lifecycle.h"
#include "schedule/operations.h"
#include "schedule/scheduled_end.h"
#include "schedule/timer_end.h"
#include "schedule/wait_program.h"
#include "schedule/wake.h"
#include "platform/wait.h"
#include "platform/windows.h"
#include "res/resource.h"
#include "settings/load.h"
#include "state/app_state.h"
#include "ui/effects.h"
#include "ui/program_windows.h"

namespace test_support {

inline INT_PTR CALLBACK InertDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

inline void RegisterCommonControls() {
    // The settings template holds an up-down control.
    static const bool done = [] {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_UPDOWN_CLASS};
        return ::InitCommonControlsEx(&controls) != FALSE;
    }();
    (void)done;
}

// A modeless dialog made from one of the program's templates; destroyed with
// the object unless a test has destroyed it already.
class TestDialog {
public:
    explicit TestDialog(int templateId, DLGPROC procedure = InertDialogProc) {
        RegisterCommonControls();
        window_ = ::CreateDialogParamW(App().instance, MAKEINTRESOURCEW(templateId), nullptr, procedure, 0);
    }
    ~TestDialog() { Destroy(); }
    TestDialog(const TestDialog&) = delete;
    TestDialog& operator=(const TestDialog&) = delete;

    HWND get() const { return window_; }
    HWND Item(int id) const { return ::GetDlgItem(window_, id); }
    void Destroy() {
        if (window_ != nullptr && ::IsWindow(window_)) ::DestroyWindow(window_);
    }

private:
    HWND window_ = nullptr;
};

inline std::wstring WindowText(HWND window) {
    wchar_t text[1100] = {};
    ::GetWindowTextW(window, text, static_cast<int>(std::size(text)));
    return text;
}

// Polls `condition` every 10 ms, serving this thread's messages meanwhile,
// until it holds or `timeoutMs` has passed; its last result.
template <typename Condition>
bool WaitFor(Condition condition, DWORD timeoutMs = 5000) {
    const DWORD start = ::GetTickCount();
    while (!condition()) {
        if (::GetTickCount() - start >= timeoutMs) return condition();
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
        ::Sleep(10);
    }
    return true;
}

// Waits up to `timeoutMs` until another thread has sent this thread a message
// that is not served yet; whether one waits. Nothing is served meanwhile, so
// the test acts before the sender gets its answer.
inline bool WaitForSentMessage(DWORD timeoutMs = 20000) {
    const DWORD start = ::GetTickCount();
    while ((HIWORD(::GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) == 0) {
        if (::GetTickCount() - start >= timeoutMs) return false;
        ::Sleep(10);
    }
    return true;
}

inline std::wstring ItemText(HWND dialog, int id) { return WindowText(::GetDlgItem(dialog, id)); }

// What the main window's combos choose now (nothing when it is not open).
inline ChosenMoments Moments() { return ReadChosenMoments(OpenDialog(programWindows.main)); }

// The presses of the operations' buttons, with what the windows show as the
// dialogs read it: the run button, and the timer, wait and wake-up buttons of
// the manual dialog (whose fields read empty when it is not open).
inline void PressRun(Attendance attendance = Attendance::User) { ToggleScheduledEnd(attendance, Moments(), App()); }
inline void PressTimer() { ToggleTimerEnd(ManualTimerSeconds(OpenDialog(programWindows.manual)), Moments(), App()); }
inline void PressWait() {
    wchar_t name[260] = {};
    if (HWND manual = OpenDialog(programWindows.manual)) ::GetDlgItemTextW(manual, IDC_MAN_PROCESS, name, 260);
    ToggleWaitProgram(name, Moments(), App());
}
inline void PressWake() { ToggleWake(Moments().wake, App()); }

// Cancels every operation and waits for its thread; whether all ended. A
// test whose workers wait through a fake system calls it before the fake
// goes.
inline bool EndWorkers() {
    bool ended = true;
    for (OperationRecord& record : App().operations) {
        record.block.Cancel();
        if (OwnedHandle thread = record.thread.Duplicate()) {
            ended = WaitServingMessages(thread.get(), 5000) && ended;
        }
    }
    return ended;
}

// Gives every test a record of its own, as a new process has it, and ends
// what the test left running before the record goes: an earlier test's
// thread can then neither dirty a later test's record nor write to a freed
// one.
class FreshStatePerTest : public ::testing::EmptyTestEventListener {
public:
    void OnTestStart(const ::testing::TestInfo&) override {
        state_ = std::make_unique<AppState>();
        InstallApp(*state_);
        App().instance = ::GetModuleHandleW(nullptr);
        LoadSettings(App(), SettingsSource::Defaults);
        programWindows.main = programWindows.settings = programWindows.manual = programWindows.phrase = nullptr;
        ForgetManualCaptions();
    }

    void OnTestEnd(const ::testing::TestInfo& test) override {
        const bool ended = EndWorkers() && LiveMarqueeThreads() == 0 && LiveScatterThreads() == 0;
        for (OperationRecord& record : App().operations) record.idle = 1;
        HoldAwakeWhileArmed();  // every operation idle: the machine is let go
        App().wakeTimer.Reset();
        if (!ended) {
            // A thread still holds the record: better a leak than a write to
            // freed memory in some later test.
            std::fprintf(stderr, "%s.%s left a thread running\n", test.test_suite_name(), test.name());
            static_cast<void>(state_.release());
        }
    }

private:
    std::unique_ptr<AppState> state_;
};

}  // namespace test_support
