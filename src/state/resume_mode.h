// The resume modes (the NEXT_REG setting): what the program does when the
// machine wakes from standby or hibernation, and what the program knows of
// each mode. The settings dialog binds each mode to its radio button; a new
// mode is a row here, its button there and its work in the wake-up.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>

enum class ResumeMode : std::uint32_t {
    NoWake = 0,
    WakeIdle = 1,
    WakeScheduledEnd = 2,
    WakeRunProgramThenScheduledEnd = 3,
    WakeRunProgramThenEnd = 4,
};

struct ResumeModeFacts {
    ResumeMode mode;
    bool runsProgram;        // the wake-up runs the chosen program; its controls are usable
    const wchar_t* summary;  // the summary's resume line
};

// Indexed by ResumeMode.
inline constexpr ResumeModeFacts kResumeModes[] = {
    {ResumeMode::NoWake, false, L"復帰しない(ｻｽﾍﾟﾝﾄﾞ、休止ﾓｰﾄﾞの時)"},
    {ResumeMode::WakeIdle, false, L"復帰時：何もしない"},
    {ResumeMode::WakeScheduledEnd, false, L"復帰時：指定時間終了を実行"},
    {ResumeMode::WakeRunProgramThenScheduledEnd, true, L"復帰時：ﾌﾟﾛｸﾞﾗﾑ実行後　指定時間終了を実行"},
    {ResumeMode::WakeRunProgramThenEnd, true, L"復帰時：ﾌﾟﾛｸﾞﾗﾑ実行後　終了"},
};

// The row of a mode; nullptr for a stored value outside the table.
constexpr const ResumeModeFacts* FactsOf(ResumeMode mode) {
    const auto index = static_cast<std::size_t>(mode);
    return index < std::size(kResumeModes) ? &kResumeModes[index] : nullptr;
}

// Whether the wake-up runs the program in this mode; false outside the table.
constexpr bool RunsProgram(ResumeMode mode) {
    const ResumeModeFacts* facts = FactsOf(mode);
    return facts != nullptr && facts->runsProgram;
}

static_assert(
    [] {
        for (std::size_t i = 0; i < std::size(kResumeModes); ++i) {
            if (static_cast<std::size_t>(kResumeModes[i].mode) != i) return false;
        }
        return true;
    }(),
    "kResumeModes is indexed by ResumeMode");
