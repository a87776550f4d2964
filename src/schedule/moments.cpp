// The moments the main window's combos choose.
#include "schedule/moments.h"

#include <windows.h>

#include <iterator>

#include "platform/windows.h"
#include "res/resource.h"
#include "schedule/target_time.h"
#include "state/app_state.h"

std::optional<std::tm> ResolveChosenMoment(ChosenMoment which, std::int64_t now) {
    constexpr int kEnd[] = {IDC_MAIN_END_MONTH, IDC_MAIN_END_DAY, IDC_MAIN_END_HOUR, IDC_MAIN_END_MINUTE};
    constexpr int kWake[] = {IDC_MAIN_WAKE_MONTH, IDC_MAIN_WAKE_DAY, IDC_MAIN_WAKE_HOUR, IDC_MAIN_WAKE_MINUTE};
    const int* combos = which == ChosenMoment::End ? kEnd : kWake;
    wchar_t texts[4][8] = {};
    if (HWND main = OpenDialog(app.mainWindow)) {
        for (int i = 0; i < 4; ++i) ::GetDlgItemTextW(main, combos[i], texts[i], static_cast<int>(std::size(texts[i])));
    }
    return ResolveTargetTime(texts[0], texts[1], texts[2], texts[3], now);
}
