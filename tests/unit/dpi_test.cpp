// The declaration of DPI awareness on each kind of Windows: per-monitor v2
// where it is known, system awareness where it is refused or missing, and an
// awareness the user or a policy set already left as it is.
#include <gtest/gtest.h>

#include "platform/dpi.h"

namespace {

DWORD contextError = 0;  // 0: the v2 call succeeds
int contextCalls = 0;
int systemCalls = 0;

BOOL WINAPI FakeSetContext(HANDLE context) {
    ++contextCalls;
    EXPECT_EQ(reinterpret_cast<INT_PTR>(context), -4);  // per-monitor v2
    ::SetLastError(contextError);
    return contextError == 0;
}

BOOL WINAPI FakeSetSystemAware() {
    ++systemCalls;
    return TRUE;
}

TEST(DpiAwareness, TakesTheBestWayTheSystemHasAndKeepsOneSetBefore) {
    struct Case {
        const char* windows;
        bool hasContext;
        bool hasSystem;
        DWORD error;
        int expectContext, expectSystem;
    } const cases[] = {
        {"Windows 10 1703 and later", true, true, 0, 1, 0},
        {"awareness set by the user or a policy", true, true, ERROR_ACCESS_DENIED, 1, 0},
        {"v2 refused otherwise", true, true, ERROR_INVALID_PARAMETER, 1, 1},
        {"Vista to Windows 10 1607", false, true, 0, 0, 1},
        {"Windows 2000 and XP", false, false, 0, 0, 0},
    };
    for (const Case& c : cases) {
        contextCalls = systemCalls = 0;
        contextError = c.error;
        DeclareDpiAwareness({c.hasContext ? FakeSetContext : nullptr, c.hasSystem ? FakeSetSystemAware : nullptr});
        EXPECT_EQ(contextCalls, c.expectContext) << c.windows;
        EXPECT_EQ(systemCalls, c.expectSystem) << c.windows;
    }
}

}  // namespace
