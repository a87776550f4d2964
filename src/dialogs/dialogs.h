// The secondary dialogs opened from the main window. Each runs modally with no
// owner, inside the handler of the button that opened it, so the main window
// stays usable meanwhile.
#pragma once

#include <windows.h>

INT_PTR CALLBACK SettingsDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ManualDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Disable the opening button, run the dialog; the dialog enables the button
// again when it is closed.
void RunSettingsDialog(HWND mainWindow);
void RunManualDialog(HWND mainWindow);
