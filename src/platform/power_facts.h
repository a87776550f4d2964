// What this PC will really do with a power request: the facts the program
// reads before it arms an operation. Each may be unknown (a function that
// Windows XP or Wine lacks, a call that failed), and an unknown fact never
// leads to a warning.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>

// The last error that SetWaitableTimer leaves after it has succeeded when the
// system cannot resume on a timer: ERROR_NOT_SUPPORTED on Windows, and this
// code (ERROR_TIMER_RESUME_IGNORED, which the mingw headers lack) under Wine.
inline constexpr DWORD kTimerResumeIgnored = 722;

// "Allow wake timers" of the active power plan, for the current power source.
enum class WakeTimers : std::uint32_t { Disabled = 0, Enabled = 1, ImportantOnly = 2 };

// The power source the plan's value was read for.
enum class PowerSource { Mains, Battery };

struct PowerFacts {
    std::optional<bool> standby;           // a sleep state S1, S2 or S3 exists
    std::optional<bool> modernStandby;     // S0 low-power idle (AoAc) stands in for S3
    std::optional<bool> hibernate;         // S4 exists
    std::optional<bool> hiberFile;         // the hibernation file is present
    std::optional<bool> reducedHiberFile;  // the file is the reduced type (fast start-up only)
    // The deepest state the real-time clock wakes the machine from.
    std::optional<SYSTEM_POWER_STATE> rtcWake;
    std::optional<WakeTimers> wakeTimers;
    std::optional<PowerSource> source;
    // The user may shut the machine down (SE_SHUTDOWN_NAME can be enabled).
    std::optional<bool> shutdownPrivilege;
};
