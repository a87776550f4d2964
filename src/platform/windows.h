// Reaching the program's own dialogs from any thread.
#pragma once

#include <windows.h>

#include <atomic>

// The dialog recorded in `slot` if it is open: a window of this process.
// Returns nullptr for a dialog that is closed (or a stale value that some
// other window may have received since), so no call reaches a stranger.
HWND OpenDialog(const std::atomic<HWND>& slot);
