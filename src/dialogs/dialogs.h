// The secondary dialogs opened from the main window. Each runs modally with no
// owner, inside the handler of the button that opened it, so the main window
// stays usable meanwhile.
#pragma once

#include <windows.h>

#include <cstdint>

#include "schedule/moments.h"
#include "state/operation.h"

INT_PTR CALLBACK SettingsDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ManualDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Disable the opening button, run the dialog; the dialog enables the button
// again when it is closed.
void RunSettingsDialog(HWND mainWindow);
void RunManualDialog(HWND mainWindow);

// The caption an operation's button of the manual dialog shows, kept while
// the dialog is closed and shown again when it opens (GUI thread); an empty
// kept caption leaves the template's. Forgotten as a main window starts.
void KeepManualCaption(Operation operation, const wchar_t* caption);
void ForgetManualCaptions();
const wchar_t* KeptManualCaption(Operation operation);

// The count the manual dialog's timer fields give (TimerEntrySeconds; all
// empty when `manual` is nullptr), and the time left written into them.
std::int32_t ManualTimerSeconds(HWND manual);
void ShowManualTimeLeft(HWND manual, std::int32_t hours, std::int32_t minutes, std::int32_t seconds);

// Refills the manual dialog's process combo: an empty item first, then the
// name of every process of a fresh snapshot but its first entry (the
// system's idle process), skipping processes without a name. When no
// snapshot can be taken the items stay as they were.
void FillProcessCombo(HWND dialog);

// The texts of the main window's end and wake-up combos (all empty when the
// window is not open): what a start of the scheduled end or of the wake-up,
// and the check before any arming, are handed.
ChosenMoments ReadChosenMoments(HWND main);
