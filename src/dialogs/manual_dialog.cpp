// The manual operations dialog (template IDD_MANUAL): the five end actions at once,
// the timer end, the wait for a program, the wake-up and the reset of the
// stored settings. It runs modally without owner inside the handler of the
// main window's button IDC_MAIN_MANUAL, which stays disabled while the dialog
// is open.
#include <windows.h>

#include <cstdint>
#include <iterator>

#include "dialogs/dialogs.h"
#include "platform/guard.h"
#include "platform/handle.h"
#include "platform/text.h"
#include "platform/system.h"
#include "platform/wait.h"
#include "platform/windows.h"
#include "power/power_actions.h"
#include "res/resource.h"
#include "schedule/arming.h"
#include "schedule/timer_end.h"
#include "schedule/wait_program.h"
#include "schedule/wake.h"
#include "settings/store.h"
#include "state/app_state.h"
#include "ui/button_hover.h"
#include "ui/controls.h"
#include "ui/ime.h"
#include "ui/locking.h"
#include "ui/summary.h"
#include "ui/tray.h"
#include "ui/program_windows.h"

namespace {

// Hours, minutes and seconds of the timer end, two digits each.
constexpr int kTimerFields[] = {IDC_MAN_HOURS, IDC_MAN_MINUTES, IDC_MAN_SECONDS};
constexpr WPARAM kTimerFieldDigits = 2;
// How long a press waits for its worker to set out before the summary.
constexpr DWORD kSummaryWaitMs = 1000;

// The operations whose buttons are in this dialog, and the captions they
// keep while it is closed (GUI thread only).
constexpr Operation kOwnOperations[] = {Operation::Wake, Operation::WaitProgram, Operation::TimerEnd};
wchar_t keptCaptions[kOperationCount][kCaptionUnits] = {};

// The snapshot behind the process combo.
ProcessTable processTable;

ChosenMoments MainWindowMoments() { return ReadChosenMoments(OpenDialog(programWindows.main)); }

// The program selected in the process combo.
void ToggleWait(HWND window) {
    wchar_t text[kPathUnits] = L"";
    ::GetDlgItemTextW(window, IDC_MAN_PROCESS, text, static_cast<int>(std::size(text)));
    ToggleWaitProgram(text, MainWindowMoments(), App());
}

// The main window's button IDC_MAIN_MANUAL opens the dialog again once it has ended.
void CloseManual(HWND window, INT_PTR result) {
    if (HWND main = OpenDialog(programWindows.main)) {
        ::EnableWindow(::GetDlgItem(main, IDC_MAIN_MANUAL), TRUE);
    }
    ::EndDialog(window, result);
}

// A dialog opened while an operation runs shows the locking that operation
// set: every run control of both windows disabled but the operation's own
// button, which cancels it. The scheduled end has locked the main window
// already; only this dialog's run controls are still to be disabled. The
// first matching operation decides.
void LockByRunningOperation(HWND window) {
    int ownButton = 0;
    for (Operation operation : {Operation::TimerEnd, Operation::WaitProgram, Operation::Wake}) {
        if (App().operation(operation).running.load() != 0) {
            ownButton = ButtonOf(operation).id;
            break;
        }
    }
    if (App().resumeCountdownRunning.load() != 0) {
        LockRunControls(0, 0);  // the count-down after a wake-up locks them all
    } else if (ownButton != 0) {
        LockRunControls(0, 0);
        ::EnableWindow(::GetDlgItem(window, ownButton), TRUE);
    } else if (App().operation(Operation::ScheduledEnd).running.load() != 0) {
        LockManualRunControls();
    } else {
        LockRunControls(1, 0);
    }
}

// The operations keep their buttons' captions while the dialog is closed; an
// empty kept caption leaves the template's.
void ShowKeptCaption(HWND window, Operation operation) {
    const wchar_t* caption = keptCaptions[AppState::RecordIndex(operation)];
    if (caption[0] != L'\0') ::SetDlgItemTextW(window, ButtonOf(operation).id, caption);
}

void InitManualDialog(HWND window) {
    LockByRunningOperation(window);
    for (int id : kTimerFields) ::SetDlgItemTextW(window, id, L"0");
    for (int id : kTimerFields) {
        ::SendDlgItemMessageW(window, id, EM_LIMITTEXT, kTimerFieldDigits, 0);
    }
    for (Operation operation : kOwnOperations) ShowKeptCaption(window, operation);
}

// The action travels as the thread's argument, by value.
DWORD WINAPI SleepRequestProc(void* action) {
    PerformEndAction(static_cast<EndAction>(reinterpret_cast<std::uintptr_t>(action)), App());
    return 0;
}

// A standby or hibernation returns only after the resume, and the system
// sends its suspend and resume notices meanwhile. The request is made on a
// short-lived thread while this one waits serving sent messages, so the main
// window answers them (a pending scheduled end stops at the suspend and
// starts again after the resume). Should no thread start, the request is
// made here, as before.
void RequestSleepServingMessages(EndAction action) {
    // NOLINTNEXTLINE(performance-no-int-to-ptr): the action travels as the thread's argument
    void* argument = reinterpret_cast<void*>(static_cast<std::uintptr_t>(action));
    OwnedHandle thread(::CreateThread(nullptr, 0, GuardedThreadProc<SleepRequestProc>, argument, 0, nullptr));
    if (thread) {
        WaitServingMessages(thread.get(), INFINITE);
    } else {
        PerformEndAction(action, App());
    }
}

// An immediate end action. After a requested shutdown or reboot the session
// is ending: the icon goes and the dialog closes. Should the system refuse
// the request, the main window says why and the dialog stays as it was.
void OnEndActionButton(HWND window, const EndActionFacts& facts) {
    // A standby or hibernation this PC cannot carry out is refused before it
    // is asked for, and one it carries out differently is told.
    if (facts.sleeps && !MayEndNow(facts.action, App())) return;
    if (facts.sleeps && App().TESTCHECK.load() == 0) {
        RequestSleepServingMessages(facts.action);
        return;
    }
    if (PerformEndAction(facts.action, App()) != EndResult::Requested || !facts.stopsMachine) return;
    RemoveTrayIcon();
    CloseManual(window, ButtonsOf(facts.action)->manualButton);
}

// Deletes the stored settings after the user has confirmed. The running
// program keeps its settings and controls; the next change writes its value
// under a new key.
void OnReset(HWND window) {
    const int answer = Sys().ShowMessage(window, kResetQuestion, kBoxCaption, MB_YESNO | MB_ICONQUESTION);
    if (answer != IDYES) return;
    ResetSettings();
    Sys().ShowMessage(window, kResetDone, kBoxCaption, MB_OK);
}

// The wait and the timer end start their thread in the toggle, and the
// summary reports them once the worker has set its running flag (or cleared
// it, after a cancel). The wait for that, at most a second, serves what the
// worker sends meanwhile: its first tick writes this dialog, and a handler
// that merely slept would hold that tick back until its second was over.
template <typename Toggle>
void ToggleAndSummarise(Toggle toggle, Operation operation) {
    toggle();
    const OperationRecord& record = App().operation(operation);
    const std::uint32_t shown = record.idle.load() == 0 ? 1 : 0;
    WaitServingMessagesUntil([&] { return record.running.load() == shown; }, kSummaryWaitMs);
    UpdateSummary();
}

// The control in the low word of wParam; only the process list looks at the
// notification code in the high word.
void OnCommand(HWND window, WPARAM wParam) {
    const int id = LOWORD(wParam);
    switch (id) {
        case IDC_MAN_OK:
            CloseManual(window, IDOK);
            break;
        case IDC_MAN_HOURS:
        case IDC_MAN_MINUTES:
        case IDC_MAN_SECONDS:
            SetImeOpen(::GetDlgItem(window, id), false);
            break;
        case IDC_MAN_RESET:
            OnReset(window);
            break;
        case IDC_MAN_PROCESS:
            // Refilled as the list gains the focus, not as it opens or changes.
            if (HIWORD(wParam) == CBN_SETFOCUS) FillProcessCombo(window);
            break;
        case IDC_MAN_WAIT:
            ToggleAndSummarise([window] { ToggleWait(window); }, Operation::WaitProgram);
            break;
        case IDC_MAN_TIMER:
            ToggleAndSummarise([window] { ToggleTimerEnd(ManualTimerSeconds(window), MainWindowMoments(), App()); },
                               Operation::TimerEnd);
            break;
        case IDC_MAN_WAKE:
            ToggleWake(MainWindowMoments().wake, App());
            UpdateSummary();
            break;
        default:
            if (const EndActionFacts* facts = EndActionOfManualButton(id)) OnEndActionButton(window, *facts);
            // Anything else, Esc (IDCANCEL) among them: the dialog stays open.
            break;
    }
}

}  // namespace

INT_PTR CALLBACK ManualDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    KeepHiddenBehindIcon(message, lParam);
    // Recorded first, so the locking and the toggles reach the dialog from
    // its first message on; forgotten as the window goes away.
    programWindows.manual = message == WM_NCDESTROY ? nullptr : window;
    switch (message) {
        case WM_INITDIALOG:
            CalmButtonHover(window);
            InitManualDialog(window);
            return FALSE;
        case WM_COMMAND:
            OnCommand(window, wParam);
            return FALSE;
        case WM_CLOSE:
            CloseManual(window, LOWORD(wParam));
            return FALSE;
        default:
            return FALSE;
    }
}

void RunManualDialog(HWND mainWindow) {
    ::EnableWindow(::GetDlgItem(mainWindow, IDC_MAIN_MANUAL), FALSE);
    ::DialogBoxParamW(App().instance, MAKEINTRESOURCEW(IDD_MANUAL), nullptr, GuardedDialogProc<ManualDialogProc>, 0);
    programWindows.manual = nullptr;
}

void KeepManualCaption(Operation operation, const wchar_t* caption) {
    CopyText(keptCaptions[AppState::RecordIndex(operation)], caption);
}

const wchar_t* KeptManualCaption(Operation operation) { return keptCaptions[AppState::RecordIndex(operation)]; }

void ForgetManualCaptions() {
    for (auto& caption : keptCaptions) caption[0] = L'\0';
}

void FillProcessCombo(HWND dialog) {
    if (!ListProcesses(processTable)) return;
    ::SendDlgItemMessageW(dialog, IDC_MAN_PROCESS, CB_RESETCONTENT, 0, 0);
    ::SendDlgItemMessageW(dialog, IDC_MAN_PROCESS, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L""));
    for (std::size_t i = 1; i < processTable.count; ++i) {
        const wchar_t* name = processTable.entries[i].name;
        if (name[0] != L'\0') {
            ::SendDlgItemMessageW(dialog, IDC_MAN_PROCESS, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
        }
    }
}

std::int32_t ManualTimerSeconds(HWND manual) {
    wchar_t texts[3][20] = {};
    if (manual != nullptr) {
        for (int i = 0; i < 3; ++i) ::GetDlgItemTextW(manual, kTimerFields[i], texts[i], 20);
    }
    return TimerEntrySeconds(texts[0], texts[1], texts[2]);
}

void ShowManualTimeLeft(HWND manual, std::int32_t hours, std::int32_t minutes, std::int32_t seconds) {
    const std::int32_t values[] = {hours, minutes, seconds};
    for (int i = 0; i < 3; ++i) {
        wchar_t text[16];
        FormatText(text, L"%d", values[i]);
        ::SetDlgItemTextW(manual, kTimerFields[i], text);
    }
}
