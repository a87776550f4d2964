// The marquee and the desktop scatter. Both threads draw from their own
// device contexts, wait on a stop event between steps (so a stop is seen at
// once) and end by themselves. Their pace is real time, not the system
// seam's clock: they are pictures, and a test's fake clock must not see them.
#include "ui/effects.h"

#include <algorithm>
#include <atomic>
#include <cwchar>
#include <utility>

#include "platform/dpi.h"
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
RECT DrawMarqueeText(HDC dc, const RECT& previous, int x, int top, const wchar_t* text, std::size_t length, int width,
                     int height) {
    const RECT band = MarqueeBand(previous, x, width, height, top);
    SetHeadlineColours(dc);
    ::ExtTextOutW(dc, x, top, ETO_OPAQUE, &band, text, static_cast<UINT>(length), nullptr);
    return band;
}

// What the marquee draws with at the main window's DPI: its geometry and its
// font, selected into the thread's device context. Made afresh when the
// window moves to a monitor of another scale.
class MarqueeLook {
public:
    explicit MarqueeLook(HDC dc) : dc_(dc), original_(::GetCurrentObject(dc, OBJ_FONT)) {}
    ~MarqueeLook() { ::SelectObject(dc_, original_); }
    MarqueeLook(const MarqueeLook&) = delete;
    MarqueeLook& operator=(const MarqueeLook&) = delete;

    // Takes the look of `dpi`; true when it differs from the one before (and
    // on the first call).
    bool Follow(UINT dpi) {
        if (dpi == dpi_) return false;
        dpi_ = dpi;
        geometry_ = MarqueeAt(dpi);
        OwnedFont font = HeadlineFont(dpi);
        ::SelectObject(dc_, font ? font.get() : original_);
        font_ = std::move(font);  // the old font is no longer selected
        TEXTMETRICW metrics{};
        height_ = ::GetTextMetricsW(dc_, &metrics) ? metrics.tmHeight : 0;
        return true;
    }

    UINT dpi() const { return dpi_; }
    const MarqueeGeometry& geometry() const { return geometry_; }
    int height() const { return height_; }

private:
    HDC dc_;
    HGDIOBJ original_;
    UINT dpi_ = 0;
    MarqueeGeometry geometry_ = kMarqueeAt96;
    OwnedFont font_;
    int height_ = 0;
};

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
        ::SetBkMode(dc.get(), OPAQUE);
        MarqueeLook look(dc.get());
        Bounce bounce{App().marqueeX.load(), false};
        RECT band{};
        while (App().marqueeRun.load() != 0 && marqueeGeneration.load() == generation) {
            if (!Seen(main)) {
                WaitUntilShownOrStopped(main);
                continue;
            }
            const UINT before = look.dpi();
            if (look.Follow(WindowDpi(main)) && before != 0) {
                // The window was laid out afresh and repaints whole; the
                // offset keeps its place in the scaled window.
                bounce.x = ::MulDiv(bounce.x, static_cast<int>(look.dpi()), static_cast<int>(before));
                band = RECT{};
            }
            wchar_t text[decltype(App().headline)::kCapacity];
            App().headline.CopyTo(text);
            const std::size_t length = std::wcslen(text);
            SIZE extent{};
            ::GetTextExtentPoint32W(dc.get(), text, static_cast<int>(length), &extent);
            const MarqueeGeometry& geometry = look.geometry();
            bounce = BounceStep(bounce, MarqueeLimit(extent.cx, geometry), geometry);
            App().marqueeX = bounce.x;
            band = DrawMarqueeText(dc.get(), band, bounce.x + geometry.left, geometry.top, text, length, extent.cx,
                                   look.height());
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
        // The screen's device context draws in the system font, made for
        // the system's DPI.
        const UINT dpi = SystemDpi();
        std::uint32_t state = 1;
        ScatterPoint point{};
        for (int i = 0; i < kScatterDraws && App().scatterRun.load() != 0; ++i) {
            if (!NextScatterPosition(state, screen.right - screen.left, screen.bottom - screen.top, point, dpi)) break;
            // The system's window colours, black on white unless high
            // contrast or a scheme says otherwise; read at each draw.
            ::SetTextColor(dc.get(), ::GetSysColor(COLOR_WINDOWTEXT));
            ::SetBkColor(dc.get(), ::GetSysColor(COLOR_WINDOW));
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

bool NextScatterPosition(std::uint32_t& state, int width, int height, ScatterPoint& point, UINT dpi) {
    if (width <= 0 || height <= 0) return false;
    const int rightMargin = ScaleToDpi(kScatterRightMargin, dpi);
    const int bottomMargin = ScaleToDpi(kScatterBottomMargin, dpi);
    int x = static_cast<int>(NextRandom(state) % static_cast<std::uint32_t>(width));
    if (x > width - rightMargin) x -= rightMargin;
    int y = static_cast<int>(NextRandom(state) % static_cast<std::uint32_t>(height));
    if (y > height - bottomMargin) y -= bottomMargin;
    point = {x, y};
    return true;
}

MarqueeGeometry MarqueeAt(UINT dpi) {
    return {ScaleToDpi(kMarqueeAt96.left, dpi), ScaleToDpi(kMarqueeAt96.top, dpi), ScaleToDpi(kMarqueeAt96.right, dpi),
            ScaleToDpi(kMarqueeAt96.step, dpi)};
}

OwnedFont HeadlineFont(UINT dpi) {
    if (dpi == SystemDpi()) return {};
    LOGFONTW font{};
    if (::GetObjectW(::GetStockObject(SYSTEM_FONT), sizeof font, &font) == 0) return {};
    const LOGFONTW scaled = FontForDpi(font, dpi);
    return OwnedFont(::CreateFontIndirectW(&scaled));
}

COLORREF MarqueeBackground() { return ::GetSysColor(COLOR_BTNFACE); }

void SetHeadlineColours(HDC dc) {
    ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
    ::SetBkColor(dc, MarqueeBackground());
}

void PaintHeadline(HWND window, HDC dc) {
    wchar_t text[decltype(App().headline)::kCapacity];
    App().headline.CopyTo(text);
    const UINT dpi = WindowDpi(window);
    const MarqueeGeometry geometry = MarqueeAt(dpi);
    const OwnedFont font = HeadlineFont(dpi);
    const HGDIOBJ original = font ? ::SelectObject(dc, font.get()) : nullptr;
    SetHeadlineColours(dc);
    ::SetBkMode(dc, OPAQUE);
    ::TextOutW(dc, geometry.left + App().marqueeX.load(), geometry.top, text, static_cast<int>(std::wcslen(text)));
    if (original != nullptr) ::SelectObject(dc, original);
}

RECT MarqueeBand(const RECT& previous, int x, int textWidth, int height, int top) {
    RECT band{x - 1, top, x + textWidth + 1, top + height};
    if (previous.right > previous.left) {
        band.left = std::min(band.left, previous.left);
        band.right = std::max(band.right, previous.right);
        band.top = std::min(band.top, previous.top);
        band.bottom = std::max(band.bottom, previous.bottom);
    }
    return band;
}

std::int32_t MarqueeLimit(int textWidth, const MarqueeGeometry& geometry) { return geometry.right - textWidth; }

Bounce BounceStep(Bounce current, std::int32_t limit, const MarqueeGeometry& geometry) {
    if (current.leftwards || current.x >= limit) {
        // Down by a step, but not past the left bound (nor, trembling at a
        // limit left of it, by more than one pixel).
        const std::int32_t x = std::max(current.x - geometry.step, std::min(geometry.left, current.x - 1));
        return {x, x > geometry.left};
    }
    return {std::min(current.x + geometry.step, limit), false};
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
