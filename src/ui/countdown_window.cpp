// The count-down window.
#include "ui/countdown_window.h"

#include <algorithm>
#include <cstddef>
#include <cwchar>
#include <utility>

#include "platform/dpi.h"
#include "platform/guard.h"
#include "platform/handle.h"
#include "platform/text.h"
#include "res/resource.h"
#include "state/end_action.h"
#include "state/messages.h"
#include "state/texts.h"
#include "ui/program_windows.h"

namespace {

constexpr wchar_t kClassName[] = L"QuillmarshCountdown";
// The digits are this many times the height of the message font.
constexpr int kDigitScale = 3;

struct CountdownWindowState {
    HWND window = nullptr;
    HWND title = nullptr;
    HWND seconds = nullptr;
    HWND abort = nullptr;
    HWND extend = nullptr;
    OwnedFont font;
    OwnedFont digits;
    CountdownHandlers handlers{};
    bool shown = false;
    CountdownShown showing{};
};

CountdownWindowState& State() {
    static CountdownWindowState state;
    return state;
}

// The pre-Vista NONCLIENTMETRICSW ends with lfMessageFont: a size that counts
// iPaddedBorderWidth is refused by Windows XP.
constexpr UINT kMetricsSize = offsetof(NONCLIENTMETRICSW, lfMessageFont) + sizeof(LOGFONTW);

// The system's message font (the default GUI font when it cannot be read),
// made for the system's DPI and scaled to `dpi`.
LOGFONTW MessageFont(UINT dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = kMetricsSize;
    LOGFONTW font{};
    if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, kMetricsSize, &metrics, 0)) {
        font = metrics.lfMessageFont;
    } else if (::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font) == 0) {
        font.lfHeight = -12;
    }
    return FontForDpi(font, dpi);
}

// The height of a line of `font` in pixels on the screen.
int LineHeight(HFONT font, int fallback) {
    WindowDC screen(nullptr);
    if (!screen) return fallback;
    const HGDIOBJ old = ::SelectObject(screen.get(), font);
    TEXTMETRICW metrics{};
    const bool measured = old != nullptr && ::GetTextMetricsW(screen.get(), &metrics) != FALSE;
    if (old != nullptr) ::SelectObject(screen.get(), old);
    return measured ? metrics.tmHeight : fallback;
}

// Makes the message and digit fonts for `dpi` and gives them to the
// controls that exist; the fonts before are deleted once no control uses
// them.
void MakeFonts(CountdownWindowState& state, UINT dpi) {
    LOGFONTW font = MessageFont(dpi);
    OwnedFont message(::CreateFontIndirectW(&font));
    font.lfHeight *= kDigitScale;
    font.lfWeight = FW_BOLD;
    OwnedFont digits(::CreateFontIndirectW(&font));
    for (HWND control : {state.title, state.abort, state.extend}) {
        if (control != nullptr) ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(message.get()), TRUE);
    }
    if (state.seconds != nullptr) {
        ::SendMessageW(state.seconds, WM_SETFONT, reinterpret_cast<WPARAM>(digits.get()), TRUE);
    }
    state.font = std::move(message);
    state.digits = std::move(digits);
}

HWND MakeControl(HWND parent, const wchar_t* type, const wchar_t* text, DWORD style, int id, HFONT font) {
    // NOLINTNEXTLINE(performance-no-int-to-ptr): a child window's identifier travels as its menu
    const auto menu = reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));
    HWND control =
        ::CreateWindowExW(0, type, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent, menu, nullptr, nullptr);
    if (control != nullptr && font != nullptr) ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
    return control;
}

// Lays the controls out for the font and the screen's scale, sizes the
// window to them and puts it at the lower right of the work area.
bool Layout(CountdownWindowState& state) {
    const UINT dpi = WindowDpi(state.window);
    const int line = LineHeight(state.font.get(), ScaleToDpi(16, dpi));
    const int big = LineHeight(state.digits.get(), line * kDigitScale);
    const int margin = ScaleToDpi(8, dpi);
    const int button = line * 7 / 4;
    const int width = line * 14;
    const int half = (width - margin) / 2;
    int y = margin;
    ::MoveWindow(state.title, margin, y, width, line, FALSE);
    y += line + margin / 2;
    ::MoveWindow(state.seconds, margin, y, width, big, FALSE);
    y += big + margin / 2;
    ::MoveWindow(state.abort, margin, y, half, button, FALSE);
    ::MoveWindow(state.extend, margin + width - half, y, half, button, FALSE);
    y += button + margin;

    RECT frame{0, 0, width + 2 * margin, y};
    const auto style = static_cast<DWORD>(::GetWindowLongPtrW(state.window, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(::GetWindowLongPtrW(state.window, GWL_EXSTYLE));
    if (!AdjustWindowRectForDpi(frame, style, exStyle, dpi)) return false;
    RECT work{};
    if (!::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) {
        work = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    }
    const RECT place = PlaceAtLowerRight(work, {frame.right - frame.left, frame.bottom - frame.top}, margin);
    return ::SetWindowPos(state.window, HWND_TOPMOST, place.left, place.top, place.right - place.left,
                          place.bottom - place.top, SWP_NOACTIVATE) != FALSE;
}

LRESULT CALLBACK CountdownProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CountdownWindowState& state = State();
    switch (message) {
        case WM_COMMAND: {
            if (HIWORD(wParam) != BN_CLICKED || !state.shown) break;
            const CountdownShown clicked = state.showing;
            if (LOWORD(wParam) == IDC_COUNTDOWN_ABORT && state.handlers.abort != nullptr) {
                state.handlers.abort();
            } else if (LOWORD(wParam) == IDC_COUNTDOWN_EXTEND && state.handlers.extend != nullptr) {
                state.handlers.extend(clicked.operation, clicked.generation);
            }
            return 0;
        }
        case WM_SHOWCOUNTDOWN:
            // NOLINTNEXTLINE(performance-no-int-to-ptr): the message carries the record's address
            ShowCountdownWindow(*reinterpret_cast<const CountdownShown*>(lParam));
            return 0;
        case kWmDpiChanged:
        case WM_SETTINGCHANGE:
            // A new scale or message font: the fonts, the size and the place
            // are made afresh for them.
            if (message == WM_SETTINGCHANGE && wParam != SPI_SETNONCLIENTMETRICS && wParam != SPI_SETWORKAREA) break;
            MakeFonts(state, message == kWmDpiChanged ? HIWORD(wParam) : WindowDpi(window));
            Layout(state);
            return 0;
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;  // a click on a button must not take the keyboard
        case WM_CLOSE:
            return 0;  // only 中止 or the end of the run takes it away
        default:
            break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

RECT PlaceAtLowerRight(const RECT& workArea, SIZE size, int margin) {
    const LONG left = std::max(workArea.left, workArea.right - margin - size.cx);
    const LONG top = std::max(workArea.top, workArea.bottom - margin - size.cy);
    return {left, top, left + size.cx, top + size.cy};
}

bool CreateCountdownWindow(HINSTANCE instance, const CountdownHandlers& handlers) {
    CountdownWindowState& state = State();
    if (state.window != nullptr) return true;
    state.handlers = handlers;
    WNDCLASSEXW type{};
    type.cbSize = sizeof type;
    type.lpfnWndProc = GuardedWindowProc<CountdownProc>;
    type.hInstance = instance;
    type.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    // NOLINTNEXTLINE(performance-no-int-to-ptr): a system colour's index plus one stands for its brush
    type.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    type.lpszClassName = kClassName;
    if (::RegisterClassExW(&type) == 0 && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;

    state.window =
        ::CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, kClassName, L"",
                          WS_POPUP | WS_CAPTION | WS_BORDER, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
    if (state.window == nullptr) return false;
    MakeFonts(state, WindowDpi(state.window));
    state.title = MakeControl(state.window, L"STATIC", L"", SS_LEFT | SS_NOPREFIX, -1, state.font.get());
    state.seconds =
        MakeControl(state.window, L"STATIC", L"", SS_CENTER | SS_NOPREFIX, IDC_COUNTDOWN_SECONDS, state.digits.get());
    state.abort = MakeControl(state.window, L"BUTTON", kCountdownAbort, BS_PUSHBUTTON | WS_TABSTOP, IDC_COUNTDOWN_ABORT,
                              state.font.get());
    state.extend = MakeControl(state.window, L"BUTTON", kCountdownExtend, BS_PUSHBUTTON | WS_TABSTOP,
                               IDC_COUNTDOWN_EXTEND, state.font.get());
    if (state.title == nullptr || state.seconds == nullptr || state.abort == nullptr || state.extend == nullptr ||
        !Layout(state)) {
        ::DestroyWindow(state.window);
        state.window = nullptr;
        return false;
    }
    programWindows.countdown = state.window;
    return true;
}

void ShowCountdownWindow(const CountdownShown& countdown) {
    CountdownWindowState& state = State();
    if (state.window == nullptr) return;
    if (state.handlers.stands != nullptr && !state.handlers.stands(countdown.operation, countdown.generation)) return;
    wchar_t seconds[24];
    FormatText(seconds, L"%lld", static_cast<long long>(std::max<std::int64_t>(countdown.seconds, 0)));
    const bool fresh = !state.shown || state.showing.operation != countdown.operation ||
                       state.showing.generation != countdown.generation || state.showing.action != countdown.action;
    state.showing = countdown;
    ::SetWindowTextW(state.seconds, seconds);
    if (fresh) {
        const wchar_t* name = EndActionName(countdown.action);
        wchar_t title[64];
        FormatText(title, kCountdownTitle, name != nullptr ? name : L"");
        ::SetWindowTextW(state.window, title);
        ::SetWindowTextW(state.title, title);
        const bool extendable = state.handlers.extendable != nullptr && state.handlers.extendable(countdown.operation);
        ::EnableWindow(state.extend, extendable ? TRUE : FALSE);
    }
    if (!state.shown) {
        // Placed afresh each time: the taskbar or the scale may have changed.
        Layout(state);
        ::ShowWindow(state.window, SW_SHOWNOACTIVATE);
        state.shown = true;
    }
}

void HideCountdownWindow(Operation operation) {
    CountdownWindowState& state = State();
    if (state.window == nullptr || !state.shown || state.showing.operation != operation) return;
    ::ShowWindow(state.window, SW_HIDE);
    state.shown = false;
}
