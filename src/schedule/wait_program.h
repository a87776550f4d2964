// The wait for a program: the end action is carried out once every process of
// the program chosen in the manual operations dialog has exited.
#pragma once

#include <windows.h>

// Refills the process combo 1016 of `dialog` with the running programs, an
// empty item first. The process listing is not part of this build yet, so for
// now the list holds the empty item alone.
void FillProcessCombo(HWND dialog);

// Handler of the manual dialog's button 1017 (GUI thread): starts or cancels
// the wait. The waiting thread is not part of this build yet, so for now the
// call starts nothing.
void ToggleWaitProgram();
