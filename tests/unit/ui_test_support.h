// Shared by the window tests: real dialogs made from the program's own
// templates with a do-nothing procedure, and a reset of the application state
// so that every test starts from the state a fresh process has.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <initializer_list>
#include <iterator>
#include <string>

#include "dialogs/dialogs.h"
#include "schedule/lifecycle.h"
#include "schedule/operations.h"
#include "schedule/scheduled_end.h"
#include "schedule/timer_end.h"
#include "schedule/wait_program.h"
#include "schedule/wake.h"
#include "platform/windows.h"
#include "res/resource.h"
#include "settings/load.h"
#include "state/app_state.h"
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
        window_ = ::CreateDialogParamW(app.instance, MAKEINTRESOURCEW(templateId), nullptr, procedure, 0);
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
inline void PressRun(Attendance attendance = Attendance::User) { ToggleScheduledEnd(attendance, Moments()); }
inline void PressTimer() { ToggleTimerEnd(ManualTimerSeconds(OpenDialog(programWindows.manual)), Moments()); }
inline void PressWait() {
    wchar_t name[260] = {};
    if (HWND manual = OpenDialog(programWindows.manual)) ::GetDlgItemTextW(manual, IDC_MAN_PROCESS, name, 260);
    ToggleWaitProgram(name, Moments());
}
inline void PressWake() { ToggleWake(Moments().wake); }

// Puts back every field a window test may change, as a new process has them.
inline void ResetAppState() {
    programWindows.main = nullptr;
    programWindows.settings = nullptr;
    programWindows.manual = nullptr;
    programWindows.phrase = nullptr;
    app.mainIcon = nullptr;

    LoadSettings(app, SettingsSource::Defaults);

    for (OperationRecord& record : app.operations) {
        record.idle = 1;
        record.running = 0;
        record.block.run = 0;
    }
    ForgetManualCaptions();
    for (auto* flag :
         {&app.wakeFired, &app.wakeProgramFinished, &app.resumeCountdownRunning, &app.restartAfterResume}) {
        *flag = 0;
    }
    app.startupBlock.run = 0;
    HoldAwakeWhileArmed();  // every operation idle: the machine is let go
    app.wakeTimer.Reset();
    // A wake thread ends by itself once its stop event is set.
    app.operation(Operation::Wake).block.Cancel();
    if (OwnedHandle thread = app.operation(Operation::Wake).thread.Duplicate())
        ::WaitForSingleObject(thread.get(), 5000);

    app.headline.Clear();
    app.typedPhrase.Clear();
    app.actionName.Clear();
    app.detailLine.Clear();
    app.summaryText[0] = L'\0';
}

}  // namespace test_support
