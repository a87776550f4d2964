// The clock line of the main window.
#include "app/clock.h"

#include "platform/calendar.h"
#include "platform/handle.h"
#include "platform/system.h"
#include "platform/text.h"
#include "res/resource.h"
#include "state/app_state.h"

namespace {

constexpr const wchar_t* kWeekdayNames[7] = {
    L"日曜", L"月曜", L"火曜", L"水曜", L"木曜", L"金曜", L"土曜",
};

DWORD WINAPI ClockThread(void*) {
    for (;;) {
        const std::tm now = LocalTimeOf(Sys().Now());
        wchar_t line[kClockLineUnits];
        FormatClockLine(now, line);
        // A cross-thread send, served by the GUI thread even inside nested
        // modal loops.
        ::SetDlgItemTextW(app.mainWindow.load(), IDC_MAIN_CLOCK, line);
        Sys().Sleep(1000);
    }
}

}  // namespace

void FormatClockLine(const std::tm& now, wchar_t (&line)[kClockLineUnits]) {
    const int weekday = now.tm_wday >= 0 && now.tm_wday < 7 ? now.tm_wday : 0;
    FormatText(line, L"現在： %d時%d分%d秒 （%d年%d月%d日[%ls])", now.tm_hour, now.tm_min,
               now.tm_sec, now.tm_year + 1900, now.tm_mon + 1, now.tm_mday, kWeekdayNames[weekday]);
}

void StartClockThread() {
    // Detached: the clock runs until the process ends.
    OwnedHandle thread(::CreateThread(nullptr, 0, ClockThread, nullptr, 0, nullptr));
}
