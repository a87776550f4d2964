// Calmer hover tracking for the themed buttons of the program's dialogs when
// running under Wine.
#pragma once

#include <windows.h>

// How often Wine looks for the pointer while it rests on a calmed button.
inline constexpr DWORD kButtonHoverPollMs = 100;

// Under Wine, subclasses every button of `dialog` (once; a second call
// changes nothing). On Windows it does nothing.
void CalmButtonHover(HWND dialog);
