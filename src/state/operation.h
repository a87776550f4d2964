// The operations that wait for a moment and then end the session.
#pragma once

#include <cstddef>
#include <cstdint>

// The four operations, each with its record in the application state. The
// count-down after a wake-up has no record of its own (it runs on the
// wake-up's block and button); WakeCountdown names it only when it asks to
// return to idle.
enum class Operation : std::uint32_t { ScheduledEnd = 0, TimerEnd = 1, WaitProgram = 2, Wake = 3, WakeCountdown = 4 };
inline constexpr std::size_t kOperationCount = 4;
static_assert(static_cast<std::size_t>(Operation::Wake) + 1 == kOperationCount,
              "every operation but the count-down after a wake-up has a record");

// The operations whose worker ends in an end action (the wake-up only wakes
// the machine), in the order a tray abort cancels them.
inline constexpr Operation kEndingOperations[] = {Operation::ScheduledEnd, Operation::WaitProgram, Operation::TimerEnd};
