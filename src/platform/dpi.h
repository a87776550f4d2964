// The display scale. The process declares itself DPI-aware at its start, so
// that Windows draws its text sharp instead of stretching a 96-DPI bitmap;
// what the program sizes or draws itself follows the DPI of its window.
// Every call that a Windows version may lack is looked up at run time.
#pragma once

#include <windows.h>

inline constexpr UINT kDefaultDpi = 96;  // 100 %

// WM_DPICHANGED (Windows 8.1 on), which the XP headers lack: the new DPI in
// HIWORD(wParam), the suggested window rectangle at lParam.
inline constexpr UINT kWmDpiChanged = 0x02E0;

// The two ways to declare the awareness, as a test can replace them. A
// missing function is nullptr.
struct DpiAwarenessCalls {
    BOOL(WINAPI* setContext)(HANDLE context);  // Windows 10 1703: per-monitor v2
    BOOL(WINAPI* setSystemAware)();            // Windows Vista: system-aware
};

// The system's functions, those the running Windows has.
DpiAwarenessCalls SystemDpiAwarenessCalls();

// Declares per-monitor awareness v2 where Windows has it, system awareness
// where it has only that, nothing before Vista (where nothing is stretched).
// An awareness already set (the file's compatibility settings, or a policy)
// is kept: the v2 call then fails with ERROR_ACCESS_DENIED. Call before the
// first window is made.
void DeclareDpiAwareness(const DpiAwarenessCalls& calls = SystemDpiAwarenessCalls());

// The DPI the system's metrics and stock fonts are made for. Read at the
// first call, which must come after DeclareDpiAwareness: before it, Windows
// tells an unaware process 96.
UINT SystemDpi();

// The DPI of `window`: its monitor's under per-monitor awareness (Windows 10
// 1607 on), the system's before.
UINT WindowDpi(HWND window);

// `pixels` at 96 DPI, scaled to `dpi`, never below 1 for a positive length.
int ScaleToDpi(int pixels, UINT dpi);

// `font`, made for the system's DPI (a stock font, the system's message
// font), scaled to `dpi`.
LOGFONTW FontForDpi(LOGFONTW font, UINT dpi);

// GetSystemMetrics for `dpi` (SM_CXSMICON and the like).
int SystemMetricForDpi(int index, UINT dpi);

// AdjustWindowRectEx for a window at `dpi`, whose frame and caption Windows
// draws at that DPI under per-monitor awareness.
bool AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, UINT dpi);
