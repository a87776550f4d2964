// The settings summary shown in the main window (IDC_MAIN_SUMMARY).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "state/app_state.h"

// What the summary describes, gathered from the settings and the operations.
struct SummaryInputs {
    // Every setting; at its default unless set.
    SettingsSnapshot settings = SettingsSnapshot::Defaults();
    bool waitProgramRunning = false;
    bool timerEndRunning = false;
    // The texts shown by the eight number combos of the main window, in the
    // order end month, day, hour, minute, then wake month, day, hour, minute.
    std::array<std::wstring, 8> comboTexts;
};

// The panel shows at most this many units, its terminator included.
inline constexpr std::size_t kSummaryUnits = 1024;

// The whole summary text for the given inputs.
std::wstring BuildSummary(const SummaryInputs& inputs);

// Rebuilds the summary from the application state and the main window's
// combos and shows it in IDC_MAIN_SUMMARY.
void UpdateSummary();
