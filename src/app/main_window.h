// The main window (template IDD_MAIN): the hub from which every setting is chosen
// and every operation is started.
#pragma once

#include <windows.h>

#include <cstdint>

INT_PTR CALLBACK MainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The main window's answer to a worker's WM_RETURNTOIDLE (wParam the
// operation, lParam the run's generation): TRUE as the handler's result, and
// as the dialog's result whether that run stood and is now idle.
INT_PTR AnswerReturnToIdleMessage(HWND window, WPARAM operation, LPARAM generation);

// Appends the items "0" ... maximum to a combo.
void FillNumberCombo(int maximum, HWND window, int id);

// Selects the combo item that matches a stored DWORD setting; a value with no
// matching item leaves the combo without selection.
void SelectComboValue(HWND window, int id, std::uint32_t stored);

// Stores the number a combo shows as a DWORD setting and rebuilds the summary.
void SaveComboSetting(int id, HWND window, const wchar_t* name);

// The search text for a stored combo value: its signed decimal text, which
// must fit three characters. Returns false (no text) for a longer one.
bool ComboSearchText(std::uint32_t value, wchar_t (&text)[4]);
