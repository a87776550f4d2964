// The clock line of the main window.
#include "app/clock.h"

#include <atomic>

#include "platform/calendar.h"
#include "platform/guard.h"
#include "platform/handle.h"
#include "platform/system.h"
#include "platform/text.h"
#include "res/resource.h"
#include "state/app_state.h"
#include "ui/program_windows.h"

namespace {

constexpr const wchar_t* kWeekdayNames[7] = {
    L"日曜", L"月曜", L"火曜", L"水曜", L"木曜", L"金曜", L"土曜",
};

// Whether the main window is seen; while it is not, the clock thread keeps
// its pace but sends nothing, so the hidden program's GUI thread sleeps.
std::atomic<bool> lineSeen{false};

void WriteClockLine(HWND main) {
    wchar_t line[kClockLineUnits];
    FormatClockLine(LocalTimeOf(Sys().Now()), line);
    ::SetDlgItemTextW(main, IDC_MAIN_CLOCK, line);
}

DWORD WINAPI ClockThread(void*) {
    for (;;) {
        // A cross-thread send, served by the GUI thread even inside nested
        // modal loops.
        if (lineSeen.load()) WriteClockLine(programWindows.main.load());
        Sys().Sleep(1000);
    }
}

}  // namespace

void FormatClockLine(const std::tm& now, wchar_t (&line)[kClockLineUnits]) {
    const int weekday = now.tm_wday >= 0 && now.tm_wday < 7 ? now.tm_wday : 0;
    FormatText(line, L"現在： %d時%d分%d秒 （%d年%d月%d日[%ls])", now.tm_hour, now.tm_min, now.tm_sec,
               now.tm_year + 1900, now.tm_mon + 1, now.tm_mday, kWeekdayNames[weekday]);
}

void SetClockLineSeen(HWND main, bool seen) {
    if (!seen) {
        lineSeen = false;
    } else if (!lineSeen.exchange(true)) {
        WriteClockLine(main);
    }
}

void StartClockThread() {
    // Detached: the clock runs until the process ends.
    OwnedHandle thread(::CreateThread(nullptr, 0, GuardedThreadProc<ClockThread>, nullptr, 0, nullptr));
}
