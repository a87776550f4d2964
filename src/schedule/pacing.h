// The pace of the steps of a count: one a second on the monotonic clock.
#pragma once

#include <windows.h>

#include <cstdint>

// A wait that overran its request by more than this on the wall clock spanned
// a suspend, whether or not anyone was told: the wall clock counts the time
// the PC slept. A busy PC overruns a short wait by far less.
inline constexpr std::int64_t kUnreportedSuspendMs = 30000;

// Whether a wait of `askedMs` that began at the wall-clock reading `before`
// and ended at `after` (both in ms) spanned a suspend. A clock set back
// counts as no suspend.
inline bool SleptThrough(std::int64_t before, std::int64_t after, std::int64_t askedMs) {
    return after - before > askedMs + kUnreportedSuspendMs;
}

// Plans the steps of a count on the monotonic clock (Sys().Ticks(), in ms).
//
// Step k is planned at the start + k seconds, so the work of a step (its
// sound, balloon and fields) and a wait that overruns a little do not add up.
// Two rules move the plan:
// - a step shown more than kLateMs after its plan (the machine slept, which
//   the clock counts through, or a window did not answer for a while) shifts
//   the plan by its lateness: the count pauses as a plain sleep would, instead
//   of firing the missed steps back to back;
// - a step is never planned sooner than kMinimumGapMs after the previous one
//   was shown, so every step stays up for about a second.
class StepPacer {
public:
    static constexpr std::uint64_t kStepMs = 1000;
    static constexpr std::uint64_t kLateMs = 500;
    static constexpr std::uint64_t kMinimumGapMs = 900;
    // The longest wait for a planned step: one step plus its allowed lateness.
    static constexpr DWORD kLongestWaitMs = kStepMs + kLateMs;

    // Step 0 is planned at `start`.
    explicit StepPacer(std::uint64_t start) : anchor_(start) {}

    // The current step has been shown at `shownAt`: the deadline of the next.
    std::uint64_t Next(std::uint64_t shownAt);

private:
    std::uint64_t anchor_;  // where step 0 would stand on the plan
    std::uint64_t step_ = 0;
};
