// The final count-down's steps, sounds and balloons with a fake clock, and
// its cancel path.
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "fake_system.h"
#include "res/resource.h"
#include "schedule/countdown.h"
#include "schedule/pacing.h"
#include "state/app_state.h"

namespace {

const void* ResourceData(int id) {
    HRSRC found = ::FindResourceW(App().instance, MAKEINTRESOURCEW(id), L"WAV_DAT");
    HGLOBAL loaded = found ? ::LoadResource(App().instance, found) : nullptr;
    return loaded ? ::LockResource(loaded) : nullptr;
}

class Countdown : public ::testing::Test {
protected:
    void SetUp() override {
        App().SOUND = SoundMode::Silent;
        App().COUNTDOWNTIME = 10;
        App().EXPLOSION_SOUND = 0;
        App().phraseText.Set(L"phrase");
        App().typedPhrase.Set(L"typed");
        App().headline.Set(L"指定時間終了 ｼｬｯﾄﾀﾞｳﾝ");
        generation = block.Arm();
    }
    void TearDown() override {
        App().typedPhrase.Clear();
        App().phraseText.Clear();
        App().headline.Clear();
        App().operation(Operation::ScheduledEnd).running = App().operation(Operation::TimerEnd).running =
            App().operation(Operation::WaitProgram).running = 0;
        App().resumeCountdownRunning = 0;
    }

    std::vector<std::wstring> Balloons() const {
        std::vector<std::wstring> texts;
        for (const auto& n : fake.notifies) {
            if (n.message == NIM_MODIFY) texts.push_back(n.data.szInfo);
        }
        return texts;
    }

    static std::vector<std::wstring> Expected(std::initializer_list<int> seconds) {
        std::vector<std::wstring> texts;
        for (int s : seconds) texts.push_back(L"終了まで：" + std::to_wstring(s) + L"秒");
        return texts;
    }

    FakeSystem fake;
    ScopedSystem installed{fake};
    RunBlock block;
    std::uint32_t generation = 0;
};

TEST_F(Countdown, BeepModeBeepsAndCountsDownOncePerSecond) {
    App().SOUND = SoundMode::Beep;
    EXPECT_EQ(CountdownResult::Completed, SoundCountdown(RunToken(block, generation), App()));
    EXPECT_EQ(Expected({10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0}), Balloons());
    ASSERT_EQ(11u, fake.beeps.size());
    for (const auto& beep : fake.beeps) EXPECT_EQ(std::make_pair(DWORD{1000}, DWORD{50}), beep);
    EXPECT_EQ(std::vector<DWORD>(11, 1000), fake.sleeps);
}

TEST_F(Countdown, StepsKeepToWholeSecondsFromTheStartWhenWaitsOverrun) {
    fake.overrunMs = 16;
    SoundCountdown(RunToken(block, generation), App());
    ASSERT_EQ(11u, fake.notifies.size());
    const std::int64_t begin = fake.notifies[0].atMilliseconds;
    for (std::size_t k = 0; k < fake.notifies.size(); ++k) {
        EXPECT_LE(fake.notifies[k].atMilliseconds - begin - 1000 * static_cast<std::int64_t>(k), 16) << k;
    }
    EXPECT_EQ(1000u, fake.sleeps.back());  // the last step keeps its full second
}

// The machine sleeps for a minute in the wait after the third step, and both
// clocks count that minute: the count neither fires the steps it missed
// back to back nor ends seconds after the wake-up; it starts over from 30
// seconds, silent until its own sounds are due, a second apart.
TEST_F(Countdown, ASleepInTheCountStartsItOverLongEnoughToSeeAndStop) {
    for (SoundMode sound : {SoundMode::Beep, SoundMode::TenCount}) {
        SCOPED_TRACE(static_cast<int>(sound));
        FakeSystem local;
        ScopedSystem use(local);
        App().SOUND = sound;
        int waits = 0;
        local.onSleep = [&] {
            if (++waits != 3) return;
            std::lock_guard<std::mutex> hold(local.lock);
            local.ticks += 60000;
            local.now += 60;
        };
        EXPECT_EQ(CountdownResult::Completed, RunFinalCountdown(RunToken(block, generation), App()));
        std::vector<std::wstring> balloons;
        for (const auto& n : local.notifies) balloons.push_back(n.data.szInfo);
        std::vector<std::wstring> expected = Expected({10, 9, 8});
        for (int s = 30; s >= 0; --s) expected.push_back(Expected({s})[0]);
        EXPECT_EQ(expected, balloons);
        if (sound == SoundMode::Beep) {
            EXPECT_EQ(3u + 11u, local.beeps.size());
        }
        for (std::size_t k = 1; k < local.notifies.size(); ++k) {
            const std::int64_t gap = local.notifies[k].atMilliseconds - local.notifies[k - 1].atMilliseconds;
            EXPECT_GE(gap, 900) << k;
            EXPECT_LE(gap, k == 3 ? 61000 : 1000) << k;
        }
    }
}

// The performance counter of some multi-core XP machines steps back between
// cores: no wait then grows past one step and its allowed lateness.
TEST_F(Countdown, AClockSteppingBackNeverStretchesAWait) {
    int waits = 0;
    fake.onSleep = [&] {
        if (++waits != 3) return;
        std::lock_guard<std::mutex> hold(fake.lock);
        fake.ticks -= 60000;
    };
    EXPECT_EQ(CountdownResult::Completed, SoundCountdown(RunToken(block, generation), App()));
    EXPECT_LE(*std::max_element(fake.sleeps.begin(), fake.sleeps.end()), StepPacer::kLongestWaitMs);
}

// A program that ended while the PC slept: even a silent count-down is then
// long enough to be seen and stopped.
TEST_F(Countdown, AfterASleepEvenASilentCountIsLongEnoughToSee) {
    EXPECT_EQ(CountdownResult::Completed, RunFinalCountdown(RunToken(block, generation), App(), true));
    EXPECT_EQ(31u, Balloons().size());
    EXPECT_TRUE(fake.sounds.empty());
}

TEST_F(Countdown, SilentModeShowsTheSameBalloonsWithoutSound) {
    EXPECT_EQ(CountdownResult::Completed, SoundCountdown(RunToken(block, generation), App()));
    EXPECT_EQ(11u, Balloons().size());
    EXPECT_TRUE(fake.beeps.empty());
    EXPECT_TRUE(fake.sounds.empty());
}

TEST_F(Countdown, LengthFollowsCountdownTimeReadOnce) {
    App().COUNTDOWNTIME = 1;
    SoundCountdown(RunToken(block, generation), App());
    EXPECT_EQ(Expected({1, 0}), Balloons());

    fake.notifies.clear();
    App().COUNTDOWNTIME = -3;
    SoundCountdown(RunToken(block, generation), App());
    EXPECT_EQ(Expected({-3}), Balloons());

    fake.notifies.clear();
    App().COUNTDOWNTIME = static_cast<std::int32_t>(0x80000000u);  // lowest value: no overflow
    SoundCountdown(RunToken(block, generation), App());
    EXPECT_EQ(1u, Balloons().size());

    fake.notifies.clear();
    App().COUNTDOWNTIME = 3;
    fake.onSleep = [] { App().COUNTDOWNTIME = 100; };
    SoundCountdown(RunToken(block, generation), App());
    EXPECT_EQ(Expected({3, 2, 1, 0}), Balloons());
}

TEST_F(Countdown, HeartbeatAndChosenFilePlayAsynchronouslyEachStep) {
    App().SOUND = SoundMode::Heartbeat;
    App().COUNTDOWNTIME = 2;
    SoundCountdown(RunToken(block, generation), App());
    ASSERT_EQ(3u, fake.sounds.size());
    for (const auto& sound : fake.sounds) {
        EXPECT_EQ(static_cast<DWORD>(SND_MEMORY | SND_ASYNC), sound.flags);
        EXPECT_EQ(ResourceData(IDW_HEARTBEAT), sound.sound);
    }

    fake.sounds.clear();
    App().SOUND = SoundMode::ChosenSound;
    App().MY_SOUND.Set(L"C:\\sounds\\bell.wav");
    SoundCountdown(RunToken(block, generation), App());
    ASSERT_EQ(3u, fake.sounds.size());
    for (const auto& sound : fake.sounds) {
        EXPECT_EQ(0x20003u, sound.flags);
        EXPECT_EQ(L"C:\\sounds\\bell.wav", sound.file);
    }
    App().MY_SOUND.Clear();
}

TEST_F(Countdown, SoundModeIsReadAtEveryStep) {
    App().SOUND = SoundMode::Beep;
    App().COUNTDOWNTIME = 2;
    fake.onSleep = [] { App().SOUND = SoundMode::Silent; };
    SoundCountdown(RunToken(block, generation), App());
    EXPECT_EQ(1u, fake.beeps.size());
}

TEST_F(Countdown, TenCountSpeaksEachNumberAndEndsOnTheSynchronousZero) {
    for (int explosion = 0; explosion < 2; ++explosion) {
        FakeSystem local;
        ScopedSystem use(local);
        App().SOUND = SoundMode::TenCount;
        App().EXPLOSION_SOUND = explosion;
        EXPECT_EQ(CountdownResult::Completed, TenCountdown(RunToken(block, generation), App()));

        std::vector<const void*> expectedSounds;
        for (int n = 10; n >= 0; --n) expectedSounds.push_back(ResourceData(VoiceForCount(n)));
        if (explosion) expectedSounds.push_back(ResourceData(IDW_EXPLOSION));
        ASSERT_EQ(expectedSounds.size(), local.sounds.size());
        for (std::size_t i = 0; i < expectedSounds.size(); ++i) {
            EXPECT_EQ(expectedSounds[i], local.sounds[i].sound) << i;
            EXPECT_NE(nullptr, local.sounds[i].sound) << i;
            const DWORD flags = i < 10 ? SND_MEMORY | SND_ASYNC : SND_MEMORY;
            EXPECT_EQ(flags, local.sounds[i].flags) << i;
        }
        // The last balloon comes after the sounds of step 0.
        const std::vector<std::wstring>& calls = local.calls;
        ASSERT_GE(calls.size(), 3u);
        EXPECT_EQ(L"Notify 1 終了まで：0秒", calls[calls.size() - 2]);
        EXPECT_EQ(L"Play 4", calls[calls.size() - 3]);
    }
}

TEST_F(Countdown, VoicesMapToTheirResources) {
    const int expected[11] = {175, 173, 172, 170, 168, 166, 164, 162, 160, 155, 156};
    for (int n = 0; n <= 10; ++n) EXPECT_EQ(expected[n], VoiceForCount(n)) << n;
    EXPECT_EQ(0, VoiceForCount(11));
    EXPECT_EQ(0, VoiceForCount(-1));
    PlayCountStep(11, App());
    PlayCountStep(-1, App());
    EXPECT_TRUE(fake.sounds.empty());
}

TEST_F(Countdown, CancelStopsBeforeTheNextStepAndRestoresThePhrase) {
    App().SOUND = SoundMode::TenCount;
    App().operation(Operation::ScheduledEnd).running = App().operation(Operation::TimerEnd).running =
        App().operation(Operation::WaitProgram).running = 1;
    App().resumeCountdownRunning = 1;
    int steps = 0;
    fake.onSleep = [&] {
        if (++steps == 5) block.run = 0;  // while the balloon shows 6 seconds
    };
    EXPECT_EQ(CountdownResult::Cancelled, TenCountdown(RunToken(block, generation), App()));
    EXPECT_EQ(Expected({10, 9, 8, 7, 6}), Balloons());
    EXPECT_EQ(5u, fake.sounds.size());           // the voice for 5 is not played
    EXPECT_EQ(L"phrase", App().headline.Get());  // the stored phrase, not the typed one
    EXPECT_EQ(0u, App().operation(Operation::ScheduledEnd).running.load());
    EXPECT_EQ(0u, App().operation(Operation::TimerEnd).running.load());
    EXPECT_EQ(0u, App().operation(Operation::WaitProgram).running.load());
    EXPECT_EQ(0u, App().resumeCountdownRunning.load());
}

// A count-down reads the record it is given, live: a sound switched off
// during it is silent from the next step, and a cancel puts back that
// record's phrase.
TEST_F(Countdown, ReadsTheSettingsItIsGivenAsTheyChange) {
    Settings settings;
    settings.SOUND = SoundMode::Beep;
    settings.COUNTDOWNTIME = 3;
    settings.phraseText.Set(L"own phrase");
    int waits = 0;
    fake.onSleep = [&] {
        if (++waits == 2) settings.SOUND = SoundMode::Silent;
    };
    EXPECT_EQ(CountdownResult::Completed, SoundCountdown(RunToken(block, generation), settings));
    EXPECT_EQ(Expected({3, 2, 1, 0}), Balloons());
    EXPECT_EQ(2u, fake.beeps.size());

    fake.onSleep = [&] { block.run = 0; };
    EXPECT_EQ(CountdownResult::Cancelled, SoundCountdown(RunToken(block, generation), settings));
    EXPECT_EQ(L"own phrase", App().headline.Get());
}

TEST_F(Countdown, AlreadyCancelledCountdownPlaysNothing) {
    block.run = 0;
    EXPECT_EQ(CountdownResult::Cancelled, SoundCountdown(RunToken(block, generation), App()));
    EXPECT_TRUE(Balloons().empty());
    EXPECT_TRUE(fake.sleeps.empty());
}

TEST_F(Countdown, SupersededCountdownLeavesTheNewStartsStateAlone) {
    App().operation(Operation::ScheduledEnd).running = 1;
    fake.onSleep = [&] {
        block.run = 0;  // a suspend ...
        block.Arm();    // ... then the restart after resume
    };
    EXPECT_EQ(CountdownResult::Superseded, SoundCountdown(RunToken(block, generation), App()));
    EXPECT_EQ(1u, App().operation(Operation::ScheduledEnd).running.load());
    EXPECT_EQ(L"指定時間終了 ｼｬｯﾄﾀﾞｳﾝ", App().headline.Get());
}

}  // namespace
