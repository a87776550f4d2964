#include "platform/dpi.h"

#include "platform/handle.h"
#include "platform/system_library.h"

namespace {

using SetContextFunction = BOOL(WINAPI*)(HANDLE);
using SetSystemAwareFunction = BOOL(WINAPI*)();
using DpiForWindowFunction = UINT(WINAPI*)(HWND);
using MetricForDpiFunction = int(WINAPI*)(int, UINT);
using AdjustForDpiFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

LateFunction<SetContextFunction> setContext(L"user32.dll", "SetProcessDpiAwarenessContext");
LateFunction<SetSystemAwareFunction> setSystemAware(L"user32.dll", "SetProcessDPIAware");
LateFunction<DpiForWindowFunction> dpiForWindow(L"user32.dll", "GetDpiForWindow");
LateFunction<MetricForDpiFunction> metricForDpi(L"user32.dll", "GetSystemMetricsForDpi");
LateFunction<AdjustForDpiFunction> adjustForDpi(L"user32.dll", "AdjustWindowRectExForDpi");

// DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2, which the XP headers lack.
HANDLE PerMonitorAwareV2() {
    // NOLINTNEXTLINE(performance-no-int-to-ptr): the context is a documented pseudo-handle
    return reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
}

}  // namespace

DpiAwarenessCalls SystemDpiAwarenessCalls() { return {setContext.Get(), setSystemAware.Get()}; }

void DeclareDpiAwareness(const DpiAwarenessCalls& calls) {
    if (calls.setContext != nullptr) {
        if (calls.setContext(PerMonitorAwareV2())) return;
        // Set already, by the user or a policy: theirs stands.
        if (::GetLastError() == ERROR_ACCESS_DENIED) return;
        // Any other refusal: system awareness below.
    }
    if (calls.setSystemAware != nullptr) calls.setSystemAware();
}

UINT SystemDpi() {
    // Fixed for the life of the process (a new one takes a new sign-in), and
    // asked for on every step of the marquee where Windows lacks
    // GetDpiForWindow: read once.
    static const UINT system = [] {
        WindowDC screen(nullptr);
        const int dpi = screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
        return dpi > 0 ? static_cast<UINT>(dpi) : kDefaultDpi;
    }();
    return system;
}

UINT WindowDpi(HWND window) {
    if (DpiForWindowFunction function = dpiForWindow.Get()) {
        if (const UINT dpi = function(window); dpi != 0) return dpi;
    }
    return SystemDpi();
}

int ScaleToDpi(int pixels, UINT dpi) {
    const int scaled = ::MulDiv(pixels, static_cast<int>(dpi), static_cast<int>(kDefaultDpi));
    return pixels > 0 && scaled < 1 ? 1 : scaled;
}

LOGFONTW FontForDpi(LOGFONTW font, UINT dpi) {
    font.lfHeight = ::MulDiv(font.lfHeight, static_cast<int>(dpi), static_cast<int>(SystemDpi()));
    font.lfWidth = ::MulDiv(font.lfWidth, static_cast<int>(dpi), static_cast<int>(SystemDpi()));
    return font;
}

int SystemMetricForDpi(int index, UINT dpi) {
    if (MetricForDpiFunction function = metricForDpi.Get()) return function(index, dpi);
    return ::MulDiv(::GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(SystemDpi()));
}

bool AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, UINT dpi) {
    if (AdjustForDpiFunction function = adjustForDpi.Get()) return function(&rect, style, FALSE, exStyle, dpi) != FALSE;
    return ::AdjustWindowRectEx(&rect, style, FALSE, exStyle) != FALSE;
}
