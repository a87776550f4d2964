// Switching a control's input method on or off.
#pragma once

#include <windows.h>

// Sets the open status of the window's input context. A context that cannot
// be released is reported with a warning box owned by the window.
void SetImeOpen(HWND window, bool open);
