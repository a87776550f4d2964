// Reading the main window's moment combos.
#include "dialogs/dialogs.h"

#include <iterator>

#include "res/resource.h"

namespace {

void ReadCombos(HWND main, const int (&ids)[4], MomentTexts& texts) {
    wchar_t* fields[] = {texts.month, texts.day, texts.hour, texts.minute};
    for (int i = 0; i < 4; ++i) {
        ::GetDlgItemTextW(main, ids[i], fields[i], static_cast<int>(std::size(texts.month)));
    }
}

}  // namespace

ChosenMoments ReadChosenMoments(HWND main) {
    constexpr int kEnd[] = {IDC_MAIN_END_MONTH, IDC_MAIN_END_DAY, IDC_MAIN_END_HOUR, IDC_MAIN_END_MINUTE};
    constexpr int kWake[] = {IDC_MAIN_WAKE_MONTH, IDC_MAIN_WAKE_DAY, IDC_MAIN_WAKE_HOUR, IDC_MAIN_WAKE_MINUTE};
    ChosenMoments chosen{};
    if (main != nullptr) {
        ReadCombos(main, kEnd, chosen.end);
        ReadCombos(main, kWake, chosen.wake);
    }
    return chosen;
}
