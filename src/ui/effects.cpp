// The marquee and the desktop scatter. Both threads draw from their own
// device contexts, wait on a stop event between steps (so a stop is seen at
// once) and end by themselves. Their pace is real time, not the system
// seam's clock: they are pictures, and a test's fake clock must not see them.
#include "ui/effects.h"

#include <algorithm>
#include <atomic>
#include <cwchar>

#include "platform/guard.h"
#include "platform/handle.h"
#include "platform/wait.h"
#include "state/app_state.h"
#include "ui/tray.h"
#include "ui/program_windows.h"

namespace {

constexpr DWORD kStepMs = 10;
// A stopped marquee thread ends within one step; the bound only guards
// against a thread stuck in a drawing call.
constexpr DWORD kRestartWaitMs = 1000;
constexpr int kScatterDraws = 1000;
constexpr int kScatterRightMargin = 50;
constexpr int kScatterBottomMargin = 20;

ThreadSlot marqueeThread;
// Each start of the marquee is a new generation; a thread of an older one
// stops at its next step even if the run flag has been set again meanwhile.
std::atomic<std::uint32_t> marqueeGeneration{0};
OwnedHandle marqueeStop{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
// Set by ResumeMarquee whenever the main window is seen; a marquee thread
// clears it before it looks whether the window is seen, so a show that comes
// after that look always ends its wait.
OwnedHandle marqueeShown{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
OwnedHandle scatterStop{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
std::atomic<int> liveMarquees{0};
std::atomic<int> liveScatters{0};

bool NothingRunsOrIsArmed() {
    for (const OperationRecord& record : App().operations) {
        if (record.idle.load() == 0 || record.running.load() != 0) return false;
    }
    return App().resumeCountdownRunning.load() == 0;
}

bool Seen(HWND window) { return ::IsWindowVisible(window) && !::IsIconic(window); }

// Nobody sees the marquee while the main window is hidden or minimised: the
// thread sleeps until the window is seen again or the marquee is stopped.
void WaitUntilShownOrStopped(HWND main) {
    ::ResetEvent(marqueeShown.get());
    if (Seen(main)) return;
    const HANDLE events[] = {marqueeStop.get(), marqueeShown.get()};
    ::WaitForMultipleObjects(2, events, FALSE, INFINITE);
}

// Draws the headline, `width` pixels wide, on its opaque band (MarqueeBand)
// and returns the band, the `previous` of the next step. Only this band is
// drawn.
RECT DrawMarqueeText(HDC dc, const RECT& previous, int x, const wchar_t* text, std::size_t length, int width,
                     int height) {
    const RECT band = MarqueeBand(previous, x, width, height);
    ::ExtTextOutW(dc, x, kMarqueeTop, ETO_OPAQUE, &band, text, static_cast<UINT>(length), nullptr);
    return band;
}

DWORD WINAPI MarqueeThread(void* argument) {
    const auto generation = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(argument));
    ++liveMarquees;
    HWND main = programWindows.main.load();
    // Started while the main window is being made, the thread takes its
    // device context and font only once the window is first seen, off the
    // start-up path.
    while (App().marqueeRun.load() != 0 && marqueeGeneration.load() == generation && !Seen(main)) {
        WaitUntilShownOrStopped(main);
    }
    {
        WindowDC dc(main);
        TEXTMETRICW metrics{};
        ::GetTextMetricsW(dc.get(), &metrics);
        ::SetBkColor(dc.get(), MarqueeBackground());
        ::SetBkMode(dc.get(), OPAQUE);
        Bounce bounce{App().marqueeX.load(), false};
        RECT band{};
        while (App().marqueeRun.load() != 0 && marqueeGeneration.load() == generation) {
            if (!Seen(main)) {
                WaitUntilShownOrStopped(main);
                continue;
            }
            wchar_t text[decltype(App().headline)::kCapacity];
            App().headline.CopyTo(text);
            const std::size_t length = std::wcslen(text);
            SIZE extent{};
            ::GetTextExtentPoint32W(dc.get(), text, static_cast<int>(length), &extent);
            bounce = BounceStep(bounce, MarqueeLimit(extent.cx));
            App().marqueeX = bounce.x;
            band = DrawMarqueeText(dc.get(), band, bounce.x + kMarqueeLeft, text, length, extent.cx, metrics.tmHeight);
            ::WaitForSingleObject(marqueeStop.get(), kStepMs);
        }
    }
    marqueeThread.ReleaseIfCurrentThread();
    --liveMarquees;
    return 0;
}

DWORD WINAPI ScatterThread(void*) {
    ++liveScatters;
    HWND desktop = ::GetDesktopWindow();
    RECT screen{};
    ::GetWindowRect(desktop, &screen);
    ::InvalidateRect(desktop, nullptr, TRUE);
    wchar_t phrase[decltype(App().typedPhrase)::kCapacity];
    App().typedPhrase.CopyTo(phrase);
    const int length = static_cast<int>(std::wcslen(phrase));
    {
        WindowDC dc(nullptr);
        std::uint32_t state = 1;
        ScatterPoint point{};
        for (int i = 0; i < kScatterDraws && App().scatterRun.load() != 0; ++i) {
            if (!NextScatterPosition(state, screen.right - screen.left, screen.bottom - screen.top, point)) break;
            ::TextOutW(dc.get(), point.x, point.y, phrase, length);
            ::WaitForSingleObject(scatterStop.get(), kStepMs);
        }
    }
    --liveScatters;
    return 0;
}

void StopMarquee() {
    App().marqueeRun = 0;
    App().marqueeOn = 0;
    ::SetEvent(marqueeStop.get());
}

}  // namespace

std::uint32_t NextRandom(std::uint32_t& state) {
    state = state * 214013u + 2531011u;
    return (state >> 16) & 0x7FFFu;
}

bool NextScatterPosition(std::uint32_t& state, int width, int height, ScatterPoint& point) {
    if (width <= 0 || height <= 0) return false;
    int x = static_cast<int>(NextRandom(state) % static_cast<std::uint32_t>(width));
    if (x > width - kScatterRightMargin) x -= kScatterRightMargin;
    int y = static_cast<int>(NextRandom(state) % static_cast<std::uint32_t>(height));
    if (y > height - kScatterBottomMargin) y -= kScatterBottomMargin;
    point = {x, y};
    return true;
}

COLORREF MarqueeBackground() { return ::GetSysColor(COLOR_BTNFACE); }

RECT MarqueeBand(const RECT& previous, int x, int textWidth, int height) {
    RECT band{x - 1, kMarqueeTop, x + textWidth + 1, kMarqueeTop + height};
    if (previous.right > previous.left) {
        band.left = std::min(band.left, previous.left);
        band.right = std::max(band.right, previous.right);
        band.top = std::min(band.top, previous.top);
        band.bottom = std::max(band.bottom, previous.bottom);
    }
    return band;
}

std::int32_t MarqueeLimit(int textWidth) { return kMarqueeRight - textWidth; }

Bounce BounceStep(Bounce current, std::int32_t limit) {
    if (current.leftwards || current.x >= limit) {
        const std::int32_t x = current.x - 1;
        return {x, x > kMarqueeLeft};
    }
    return {current.x + 1, false};
}

void ToggleMarquee() {
    if (App().marqueeOn.load() != 0) {
        StopMarquee();
    } else {
        StartMarquee();
    }
}

void StartMarquee() {
    // Every older thread is no longer current and stops at its next step;
    // the newest is waited for, so the new thread moves the offset alone.
    const std::uint32_t generation = ++marqueeGeneration;
    ::SetEvent(marqueeStop.get());
    if (OwnedHandle previous = marqueeThread.Duplicate()) WaitServingMessages(previous.get(), kRestartWaitMs);
    // Restored here, on the thread that starts the operations, so that an
    // operation started right after cannot have its headline overwritten.
    if (NothingRunsOrIsArmed()) RestoreHeadline();
    ::ResetEvent(marqueeStop.get());
    App().marqueeRun = 1;
    App().marqueeOn = 1;
    // NOLINTNEXTLINE(performance-no-int-to-ptr): the generation travels as the thread's argument
    marqueeThread.Start<MarqueeThread>(reinterpret_cast<void*>(static_cast<std::uintptr_t>(generation)));
}

void ResumeMarquee() { ::SetEvent(marqueeShown.get()); }

void StartScatter() {
    ::ResetEvent(scatterStop.get());
    App().scatterRun = 1;
    // Detached: the thread ends by itself after its last draw or a stop.
    OwnedHandle thread(::CreateThread(nullptr, 0, GuardedThreadProc<ScatterThread>, nullptr, 0, nullptr));
}

void StopScatter() {
    App().scatterRun = 0;
    ::SetEvent(scatterStop.get());
}

int LiveMarqueeThreads() { return liveMarquees.load(); }
int LiveScatterThreads() { return liveScatters.load(); }
