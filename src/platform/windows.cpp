// Reaching the program's own dialogs from any thread.
#include "platform/windows.h"

HWND OpenDialog(const std::atomic<HWND>& slot) {
    HWND window = slot.load();
    if (window == nullptr || !::IsWindow(window)) return nullptr;
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    return process == ::GetCurrentProcessId() ? window : nullptr;
}
