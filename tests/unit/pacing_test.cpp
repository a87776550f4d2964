// The pace of a count: one step a second, small overruns absorbed, a late
// step shifting the plan instead of hurrying the steps after it.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "schedule/pacing.h"

namespace {

TEST(StepPacer, PlansOneStepASecondAndShiftsOnlyAfterALateStep) {
    struct Case {
        const char* name;
        std::vector<std::uint64_t> shown;      // when each step was shown, from a start at 0
        std::vector<std::uint64_t> deadlines;  // the deadline the pacer gives after each
    } const cases[] = {
        {"on time", {0, 1000, 2000}, {1000, 2000, 3000}},
        {"small overruns do not add up", {16, 1030, 2016}, {1000, 2000, 3000}},
        {"a step shown 400 ms late stays up for 900 ms", {0, 1400, 2300}, {1000, 2300, 3200}},
        {"a first step held 990 ms shifts the count", {990, 1990}, {1990, 2990}},
        {"a suspend of a minute pauses the count", {0, 1000, 2000, 62000, 63000}, {1000, 2000, 3000, 63000, 64000}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StepPacer pacer(0);
        std::vector<std::uint64_t> deadlines;
        for (std::uint64_t shown : c.shown) deadlines.push_back(pacer.Next(shown));
        EXPECT_EQ(c.deadlines, deadlines);
    }
}

}  // namespace
