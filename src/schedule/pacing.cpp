// The pace of the steps of a count.
#include "schedule/pacing.h"

#include <algorithm>

std::uint64_t StepPacer::Next(std::uint64_t shownAt) {
    const std::uint64_t planned = anchor_ + step_ * kStepMs;
    if (shownAt > planned + kLateMs) anchor_ += shownAt - planned;
    ++step_;
    return std::max(anchor_ + step_ * kStepMs, shownAt + kMinimumGapMs);
}
