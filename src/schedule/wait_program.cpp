// The wait for a program. Until the process listing and the waiting thread are
// built, the combo is refilled from an empty snapshot (the empty item alone)
// and the toggle deliberately does nothing, so the program stays idle.
#include "schedule/wait_program.h"

#include "res/resource.h"

void FillProcessCombo(HWND dialog) {
    ::SendDlgItemMessageW(dialog, IDC_MAN_PROCESS, CB_RESETCONTENT, 0, 0);
    ::SendDlgItemMessageW(dialog, IDC_MAN_PROCESS, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L""));
}

void ToggleWaitProgram() {}
