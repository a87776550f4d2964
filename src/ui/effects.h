// The main window's marquee (the headline bouncing along its top) and the
// scatter of the typed phrase over the desktop, each on a thread of its own.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "platform/dpi.h"
#include "platform/handle.h"

// Where the marquee runs, in the main window's client pixels at one DPI.
struct MarqueeGeometry {
    int left;  // the text is drawn at marqueeX + left; the offset turns at left
    int top;
    int right;  // the text's right end turns here
    int step;   // pixels moved in one step
};

inline constexpr MarqueeGeometry kMarqueeAt96{3, 15, 240, 1};

// The geometry at `dpi`: every length scaled from 96 DPI, so that the band
// keeps its place beside the controls, which scale with the dialog.
MarqueeGeometry MarqueeAt(UINT dpi);

// The font the headline is drawn in at `dpi`: the device context's default
// (the system font) at the system's DPI, where this is empty; elsewhere (a
// monitor of another scale) the system font scaled to `dpi`.
OwnedFont HeadlineFont(UINT dpi);

// The scatter's generator: state := state * 214013 + 2531011 (mod 2^32);
// yields bits 16 to 30 of the new state (0 to 32767).
std::uint32_t NextRandom(std::uint32_t& state);

struct ScatterPoint {
    int x;
    int y;
};

// The next place to draw on a screen of width x height pixels, kept 50 pixels
// (at 96 DPI; scaled to `dpi`) from the right edge and 20 from the bottom.
// False for a screen without area, where there is nowhere to draw.
bool NextScatterPosition(std::uint32_t& state, int width, int height, ScatterPoint& point, UINT dpi = kDefaultDpi);

// The largest offset at which a headline `textWidth` pixels wide, as the
// font draws it, still ends at the right bound; 3 or less (even negative)
// for a long one. Measured, not counted in average characters: full-width
// characters are about twice the average width, and a headline of them
// would run over the controls to the right.
std::int32_t MarqueeLimit(int textWidth, const MarqueeGeometry& geometry = kMarqueeAt96);

struct Bounce {
    std::int32_t x;
    bool leftwards;
};

// One step of the marquee: moves a step towards the limit, never past it,
// turns at the limit and at the left bound. A limit at or below the left
// bound makes the text tremble between limit - 1 and limit.
Bounce BounceStep(Bounce current, std::int32_t limit, const MarqueeGeometry& geometry = kMarqueeAt96);

// The colour behind the headline: the dialog's own background, so that the
// band the marquee erases cannot be told from the rest of the window.
COLORREF MarqueeBackground();

// Sets the headline's colours on `dc`: the dialog's text on its background,
// read afresh, so that a change of colours (high contrast) shows at once.
void SetHeadlineColours(HDC dc);

// Paints the headline at the marquee's offset (the main window's WM_PAINT).
void PaintHeadline(HWND window, HDC dc);

// The band a marquee step paints opaque: the text at `x` with one pixel more
// on each side (the column a one-pixel step leaves behind), grown to cover
// the band of the step before, so a headline that became shorter leaves no
// tail. `previous` is empty (all zero) for the first step.
RECT MarqueeBand(const RECT& previous, int x, int textWidth, int height, int top = kMarqueeAt96.top);

// The main window's left click: stops a running marquee, or starts it again
// from where it stopped.
void ToggleMarquee();

// Starts the marquee (GUI thread). A previous marquee thread is waited for,
// up to a bound, so that never two threads move the offset.
void StartMarquee();

// Called whenever the main window is seen (WM_WINDOWPOSCHANGED of every path
// that shows it): a marquee thread that waits while the window is hidden or
// minimised goes on.
void ResumeMarquee();

// Starts a scatter of the typed phrase (the main window's WM_SCATTERPHRASE).
void StartScatter();

// Stops a running scatter after its current draw (a mouse move over the main
// window).
void StopScatter();

// The marquee and scatter threads alive at this moment.
int LiveMarqueeThreads();
int LiveScatterThreads();
