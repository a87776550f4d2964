// Wine's themed buttons (common controls 6) ask for hover and leave tracking
// with a hover time of 1 ms on every mouse move, and Wine then looks for the
// pointer with a 1 ms system timer until it leaves the button: about a
// thousand timer messages a second to the GUI thread for as long as the
// pointer rests on any button, check box or radio button. Under Wine each
// button is subclassed to ask first for the same tracking at a calmer period
// and to turn its hot look on at once, as the 1 ms hover did; the button then
// finds tracking in place and asks for none. Windows's own buttons track the
// pointer without polling and are left alone.
#include "ui/button_hover.h"

#include <atomic>
#include <cwchar>
#include <iterator>

#include "platform/guard.h"

namespace {

// The button class's own procedure, the same for every button of the process.
std::atomic<WNDPROC> buttonProcedure{nullptr};

bool RunningOnWine() {
    HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

LRESULT CALLBACK CalmButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC original = buttonProcedure.load();
    if (message == WM_MOUSEMOVE) {
        TRACKMOUSEEVENT query{sizeof query, TME_QUERY, nullptr, 0};
        const bool tracked =
            ::TrackMouseEvent(&query) && query.hwndTrack == button && (query.dwFlags & (TME_HOVER | TME_LEAVE)) != 0;
        if (!tracked) {
            TRACKMOUSEEVENT track{sizeof track, TME_HOVER | TME_LEAVE, button, kButtonHoverPollMs};
            ::TrackMouseEvent(&track);
            ::CallWindowProcW(original, button, WM_MOUSEHOVER, wParam, lParam);
        }
    }
    return ::CallWindowProcW(original, button, message, wParam, lParam);
}

BOOL CALLBACK CalmIfButton(HWND child, LPARAM) {
    wchar_t name[16] = {};
    ::GetClassNameW(child, name, static_cast<int>(std::size(name)));
    if (std::wcscmp(name, L"Button") != 0) return TRUE;
    // NOLINTNEXTLINE(performance-no-int-to-ptr): the window's procedure comes back as a number
    auto current = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(child, GWLP_WNDPROC));
    if (current == GuardedWindowProc<CalmButtonProc>) return TRUE;
    WNDPROC expected = nullptr;
    buttonProcedure.compare_exchange_strong(expected, current);
    // A button with a procedure of its own (subclassed by someone else) stays as it is.
    if (buttonProcedure.load() != current) return TRUE;
    ::SetWindowLongPtrW(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(GuardedWindowProc<CalmButtonProc>));
    return TRUE;
}

}  // namespace

void CalmButtonHover(HWND dialog) {
    static const bool wine = RunningOnWine();
    if (wine) ::EnumChildWindows(dialog, GuardedEnumProc<CalmIfButton>, 0);
}
