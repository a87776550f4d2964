// The settings summary shown in the main window (IDC_MAIN_SUMMARY).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "state/app_state.h"

// What the summary describes, gathered from the settings and the operations.
struct SummaryInputs {
    std::uint32_t STARTUPCHECK = 0;
    EndAction WAYTOEND = EndAction::Shutdown;
    ResumeMode NEXT_REG = ResumeMode::NoWake;
    SoundMode SOUND = SoundMode::Silent;
    std::uint32_t EXPLOSION_SOUND = 0;
    std::int32_t COUNTDOWNTIME = 10;
    std::wstring PROGRAM;
    std::wstring PROGRAM_COMMANDLINE;
    std::wstring MY_SOUND;
    std::uint32_t TESTCHECK = 0;
    std::uint32_t FORCECHECK = 0;
    bool waitProgramRunning = false;
    bool timerEndRunning = false;
    // The texts shown by the eight number combos of the main window, in the
    // order end month, day, hour, minute, then wake month, day, hour, minute.
    std::array<std::wstring, 8> comboTexts;
};

// The whole summary text for the given inputs.
std::wstring BuildSummary(const SummaryInputs& inputs);

// Rebuilds the summary from the application state and the main window's
// combos and shows it in IDC_MAIN_SUMMARY.
void UpdateSummary();
