// The marquee's bounce, the scatter's generator and positions, and the
// restart of the marquee against a real main window.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "platform/handle.h"
#include "res/resource.h"
#include "ui/effects.h"
#include "ui_test_support.h"
#include "ui/program_windows.h"

// Rectangles compare by their four edges; found by argument lookup, as RECT
// lives in the global namespace.
static bool operator==(const RECT& a, const RECT& b) { return ::EqualRect(&a, &b) != FALSE; }

namespace {

TEST(ScatterGenerator, StartsFromOneLikeEveryScatter) {
    std::uint32_t state = 1;
    std::vector<std::uint32_t> values;
    for (int i = 0; i < 5; ++i) values.push_back(NextRandom(state));
    EXPECT_EQ(values, (std::vector<std::uint32_t>{41, 18467, 6334, 26500, 19169}));
}

TEST(ScatterGenerator, PositionsOnA1024By768ScreenKeepTheMargins) {
    struct Case {
        int draw, x, y;
    } const expected[] = {
        {0, 41, 35},    {1, 190, 388}, {2, 737, 364}, {25, 971, 744},  // 764 is below the bottom margin
        {59, 951, 384},                                                // 1001 is right of the right margin
    };
    std::uint32_t state = 1;
    int draw = 0;
    for (const Case& c : expected) {
        ScatterPoint point{};
        for (; draw <= c.draw; ++draw) ASSERT_TRUE(NextScatterPosition(state, 1024, 768, point));
        EXPECT_EQ(point.x, c.x) << "draw " << c.draw;
        EXPECT_EQ(point.y, c.y) << "draw " << c.draw;
    }
    ScatterPoint none{};
    EXPECT_FALSE(NextScatterPosition(state, 0, 768, none));

    // At 200 % the margins are twice as wide: the same draws move further in.
    state = 1;
    ScatterPoint point{};
    for (int i = 0; i <= 25; ++i) ASSERT_TRUE(NextScatterPosition(state, 1024, 768, point, 192));
    EXPECT_EQ(point.y, 764 - 40);
    for (int i = 26; i <= 59; ++i) ASSERT_TRUE(NextScatterPosition(state, 1024, 768, point, 192));
    EXPECT_EQ(point.x, 1001 - 100);
}

TEST(MarqueeBounce, TurnsAtThreeAndAtTheLimitOrTrembles) {
    struct Case {
        std::int32_t x;
        bool leftwards;
        std::int32_t limit;
        std::int32_t nextX;
        bool nextLeftwards;
    } const cases[] = {
        // A short headline bounces between 3 and the limit.
        {99, false, 100, 100, false},
        {100, false, 100, 99, true},
        {4, true, 100, 3, false},
        // The limit follows the headline: a longer one turns the text at once.
        {120, false, 100, 119, true},
        // A long headline: down to the limit, then limit - 1 and limit in turn.
        {3, false, 3, 2, false},
        {2, false, 3, 3, false},
        {-20, false, -20, -21, false},
        {-21, false, -20, -20, false},
    };
    for (const Case& c : cases) {
        const Bounce next = BounceStep({c.x, c.leftwards}, c.limit);
        EXPECT_EQ(next.x, c.nextX) << c.x << " towards " << c.limit;
        EXPECT_EQ(next.leftwards, c.nextLeftwards) << c.x << " towards " << c.limit;
    }
    EXPECT_EQ(MarqueeLimit(80), 160);
    EXPECT_EQ(MarqueeLimit(312), -72);
}

// At 200 % every length doubles and a step is two pixels, which never carry
// the text past the limit nor past the left bound.
TEST(MarqueeBounce, ScalesWithTheDpiAndNeverStepsPastABound) {
    const MarqueeGeometry at200 = MarqueeAt(192);
    EXPECT_EQ((std::vector<int>{6, 30, 480, 2}), (std::vector<int>{at200.left, at200.top, at200.right, at200.step}));
    EXPECT_EQ(MarqueeAt(120).step, 1);
    EXPECT_EQ(MarqueeLimit(80, at200), 400);
    struct Case {
        std::int32_t x;
        bool leftwards;
        std::int32_t nextX;
        bool nextLeftwards;
    } const cases[] = {
        {99, false, 100, false},
        {100, false, 98, true},
        {7, true, 6, false},
        {8, true, 6, false},
    };
    for (const Case& c : cases) {
        const Bounce next = BounceStep({c.x, c.leftwards}, 100, at200);
        EXPECT_EQ(next.x, c.nextX) << c.x;
        EXPECT_EQ(next.leftwards, c.nextLeftwards) << c.x;
    }
    // A headline wider than the band trembles by one pixel, as at 100 %.
    EXPECT_EQ(BounceStep({-20, false}, -20, at200).x, -21);
    EXPECT_EQ(BounceStep({-21, false}, -20, at200).x, -20);
}

// A headline that becomes shorter, or moves, is drawn on a band that still
// covers the text before it, so no tail is left.
TEST(MarqueeBand, CoversTheTextAndTheBandBeforeIt) {
    const RECT first = MarqueeBand(RECT{}, 50, 200, 12);
    EXPECT_EQ((RECT{49, kMarqueeAt96.top, 251, kMarqueeAt96.top + 12}), first);
    const RECT shorter = MarqueeBand(first, 51, 40, 12);
    EXPECT_EQ((RECT{49, kMarqueeAt96.top, 251, kMarqueeAt96.top + 12}), shorter);
    const RECT longerLeft = MarqueeBand(shorter, 3, 300, 14);
    EXPECT_EQ((RECT{2, kMarqueeAt96.top, 304, kMarqueeAt96.top + 14}), longerLeft);
    EXPECT_EQ(::GetSysColor(COLOR_BTNFACE), MarqueeBackground());
}

// Each test leaves the marquee stopped and the record clean, even when an
// assertion ends it early.
class Marquee : public ::testing::Test {
protected:
    void TearDown() override {
        if (App().marqueeOn.load() != 0) ToggleMarquee();
        EXPECT_TRUE(test_support::WaitFor([] { return LiveMarqueeThreads() == 0; }, 2000));
        App().marqueeX = 0;
    }
};

TEST_F(Marquee, TwoClicksStopAndRestartFromTheSameOffsetWithOneThread) {
    test_support::TestDialog main(IDD_MAIN);
    ::ShowWindow(main.get(), SW_SHOWNORMAL);
    programWindows.main = main.get();
    App().marqueeX = 100;
    App().phraseText.Set(L"marquee");
    StartMarquee();
    ASSERT_TRUE(test_support::WaitFor([] { return App().marqueeX.load() != 100; }));

    ToggleMarquee();
    ASSERT_TRUE(test_support::WaitFor([] { return LiveMarqueeThreads() == 0; }));
    const std::int32_t stoppedAt = App().marqueeX.load();
    EXPECT_EQ(App().marqueeOn.load(), 0u);
    App().headline.Set(L"something else");
    ToggleMarquee();
    EXPECT_EQ(App().headline.Get(), L"marquee");  // nothing runs: the headline is restored
    // Quick toggles never leave two threads moving the offset.
    for (int i = 0; i < 6; ++i) ToggleMarquee();
    EXPECT_LE(LiveMarqueeThreads(), 1);
    EXPECT_EQ(App().marqueeOn.load(), 1u);
    ASSERT_TRUE(test_support::WaitFor([&] { return App().marqueeX.load() != stoppedAt; }));
    EXPECT_LE(std::abs(App().marqueeX.load() - stoppedAt), 30);
    // The newest thread counts itself once it runs, which a loaded machine
    // may delay past an older thread's last step.
    EXPECT_TRUE(test_support::WaitFor([] { return LiveMarqueeThreads() == 1; }));

    ToggleMarquee();
    EXPECT_TRUE(test_support::WaitFor([] { return LiveMarqueeThreads() == 0; }));
}

// A headline of full-width characters, about twice the font's average width,
// still turns at the right bound instead of running over the BYE button.
TEST_F(Marquee, AFullWidthHeadlineTurnsAtTheRightBound) {
    test_support::TestDialog main(IDD_MAIN);
    ::ShowWindow(main.get(), SW_SHOWNORMAL);
    programWindows.main = main.get();
    App().marqueeX = 3;
    App().phraseText.Set(L"好きな言葉を入力すれば？");
    StartMarquee();
    int width = 0;
    {
        WindowDC dc(main.get());
        SIZE extent{};
        ::GetTextExtentPoint32W(dc.get(), L"好きな言葉を入力すれば？", 12, &extent);
        width = extent.cx;
    }
    std::int32_t rightmost = 0;
    test_support::WaitFor(
        [&] {
            rightmost = std::max(rightmost, App().marqueeX.load());
            return false;
        },
        2500);
    EXPECT_GT(rightmost, 3);
    EXPECT_LE(rightmost + width, kMarqueeAt96.right);
    ToggleMarquee();
    EXPECT_TRUE(test_support::WaitFor([] { return LiveMarqueeThreads() == 0; }));
}

// Hidden or minimised, the marquee sleeps without moving; a show ends the
// sleep, and a stop ends a sleeping thread at once.
TEST_F(Marquee, SleepsWhileUnseenAndGoesOnWhenShown) {
    test_support::TestDialog main(IDD_MAIN);  // created hidden
    programWindows.main = main.get();
    App().marqueeX = 100;
    App().phraseText.Set(L"marquee");
    const auto standsFor = [](DWORD ms) {
        const std::int32_t x = App().marqueeX.load();
        test_support::WaitFor([] { return false; }, ms);
        return App().marqueeX.load() == x;
    };
    StartMarquee();
    EXPECT_TRUE(standsFor(150));
    EXPECT_EQ(LiveMarqueeThreads(), 1);

    ::ShowWindow(main.get(), SW_SHOWNORMAL);
    ResumeMarquee();
    ASSERT_TRUE(test_support::WaitFor([] { return App().marqueeX.load() != 100; }));

    ::ShowWindow(main.get(), SW_MINIMIZE);
    test_support::WaitFor([] { return false; }, 50);  // the current step ends
    EXPECT_TRUE(standsFor(150));
    ResumeMarquee();  // a show of some other window: still minimised
    EXPECT_TRUE(standsFor(100));

    ::ShowWindow(main.get(), SW_RESTORE);
    ResumeMarquee();
    EXPECT_FALSE(standsFor(150));

    ::ShowWindow(main.get(), SW_HIDE);
    test_support::WaitFor([] { return false; }, 50);
    ToggleMarquee();  // stopped while asleep: the thread ends without a show
    EXPECT_TRUE(test_support::WaitFor([] { return LiveMarqueeThreads() == 0; }, 500));
}

}  // namespace
