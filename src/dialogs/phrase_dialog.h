// The phrase dialog (IDD_PHRASE): its one field takes a command line, which is
// started as a new process, or a phrase, which is stored as TEXT and
// scattered over the desktop.
#pragma once

#include <windows.h>

#include "state/app_state.h"

INT_PTR CALLBACK PhraseDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Runs the dialog modally, owned by the main window.
void RunPhraseDialog(HWND mainWindow);

// The typed text as kept: at most 39 characters, never ending in half of a
// surrogate pair.
void CutPhrase(const wchar_t* text, wchar_t (&phrase)[kPhraseUnits]);
