// The handles of the program's windows, for the windows themselves and the
// views that draw on them. A secondary window's handle is nullptr while it is
// not open; a worker reaches a window only through OpenDialog or a message.
#pragma once

#include <windows.h>

#include <atomic>

struct ProgramWindows {
    std::atomic<HWND> main{nullptr};
    std::atomic<HWND> settings{nullptr};
    std::atomic<HWND> manual{nullptr};
    std::atomic<HWND> phrase{nullptr};
    std::atomic<HWND> countdown{nullptr};  // made once, hidden while nothing counts down
};

inline ProgramWindows programWindows;
