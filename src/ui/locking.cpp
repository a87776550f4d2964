// Locking of the run controls and the resume controls. Each routine looks its
// controls up in the windows recorded in the application state, skipping a
// dialog that is not open, and changes them one at a time in a fixed order.
#include "ui/locking.h"

#include <windows.h>

#include "platform/windows.h"
#include "res/resource.h"
#include "state/app_state.h"
#include "ui/controls.h"
#include "ui/program_windows.h"

namespace {

// The run group, in the order it is changed. `exceptFor` marks the controls
// that stay as they are when they are the caller.
struct RunControl {
    int id;
    bool exceptFor;
};

// After the end actions' radio buttons, which the table names.
constexpr RunControl kMainRunGroup[] = {
    {IDC_MAIN_FORCE, false},       {IDC_MAIN_TEST, false},     {IDC_MAIN_END_MONTH, false},
    {IDC_MAIN_END_DAY, false},     {IDC_MAIN_END_HOUR, false}, {IDC_MAIN_END_MINUTE, false},
    {IDC_MAIN_WAKE_MONTH, false},  {IDC_MAIN_WAKE_DAY, false}, {IDC_MAIN_WAKE_HOUR, false},
    {IDC_MAIN_WAKE_MINUTE, false}, {IDC_MAIN_RUN, true},
};

constexpr RunControl kManualRunGroup[] = {
    {IDC_MAN_WAKE, true},     {IDC_MAN_PROCESS, false}, {IDC_MAN_WAIT, true},  {IDC_MAN_HOURS, false},
    {IDC_MAN_SECONDS, false}, {IDC_MAN_MINUTES, false}, {IDC_MAN_TIMER, true},
};

constexpr int kManualLockOrder[] = {
    IDC_MAN_WAKE, IDC_MAN_PROCESS, IDC_MAN_WAIT, IDC_MAN_HOURS, IDC_MAN_MINUTES, IDC_MAN_SECONDS, IDC_MAN_TIMER,
};

void Enable(HWND window, int id, bool enable) { ::EnableWindow(::GetDlgItem(window, id), enable ? TRUE : FALSE); }

template <std::size_t N>
void LockGroup(HWND window, const RunControl (&group)[N], bool enable, int caller) {
    if (window == nullptr) return;
    for (const RunControl& control : group) {
        if (control.exceptFor && control.id == caller) continue;
        Enable(window, control.id, enable);
    }
}

}  // namespace

void LockRunControls(int enable, int caller) {
    HWND main = OpenDialog(programWindows.main);
    if (main != nullptr) {
        for (const EndActionButtons& buttons : kEndActionButtons) Enable(main, buttons.mainButton, enable != 0);
    }
    LockGroup(main, kMainRunGroup, enable != 0, caller);
    LockGroup(OpenDialog(programWindows.manual), kManualRunGroup, enable != 0, caller);
}

void LockManualRunControls() {
    HWND manual = OpenDialog(programWindows.manual);
    if (manual == nullptr) return;
    for (int id : kManualLockOrder) Enable(manual, id, false);
}

void DisableResumeControls() {
    HWND settings = OpenDialog(programWindows.settings);
    if (settings == nullptr) return;
    for (const ResumeRadio& radio : kResumeRadios) Enable(settings, radio.id, false);
    Enable(settings, IDC_SET_PROGRAM_NAME, false);
    Enable(settings, IDC_SET_ARGUMENTS, false);
    Enable(settings, IDC_SET_CHOOSE_PROGRAM, false);
}

void EnableResumeControls() {
    HWND settings = OpenDialog(programWindows.settings);
    if (settings == nullptr) return;
    for (const ResumeRadio& radio : kResumeRadios) Enable(settings, radio.id, true);
    const bool program = RunsProgram(App().NEXT_REG.load());
    Enable(settings, IDC_SET_PROGRAM_NAME, program);
    Enable(settings, IDC_SET_ARGUMENTS, program);
    Enable(settings, IDC_SET_CHOOSE_PROGRAM, program);
}

void SetProgramControlsEnabled(bool enable) {
    HWND settings = OpenDialog(programWindows.settings);
    if (settings == nullptr) return;
    Enable(settings, IDC_SET_PROGRAM_NAME, enable);
    Enable(settings, IDC_SET_CHOOSE_PROGRAM, enable);
    Enable(settings, IDC_SET_ARGUMENTS, enable);
}
