// The main window's marquee (the headline bouncing along its top) and the
// scatter of the typed phrase over the desktop, each on a thread of its own.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

inline constexpr int kMarqueeLeft = 3;  // the text is drawn at marqueeX + kMarqueeLeft
inline constexpr int kMarqueeTop = 15;
inline constexpr int kMarqueeRight = 240;  // the text's right end turns here

// The scatter's generator: state := state * 214013 + 2531011 (mod 2^32);
// yields bits 16 to 30 of the new state (0 to 32767).
std::uint32_t NextRandom(std::uint32_t& state);

struct ScatterPoint {
    int x;
    int y;
};

// The next place to draw on a screen of width x height pixels, kept 50 pixels
// from the right edge and 20 from the bottom. False for a screen without
// area, where there is nowhere to draw.
bool NextScatterPosition(std::uint32_t& state, int width, int height, ScatterPoint& point);

// The largest offset at which a headline `textWidth` pixels wide, as the
// font draws it, still ends at the right bound; 3 or less (even negative)
// for a long one. Measured, not counted in average characters: full-width
// characters are about twice the average width, and a headline of them
// would run over the controls to the right.
std::int32_t MarqueeLimit(int textWidth);

struct Bounce {
    std::int32_t x;
    bool leftwards;
};

// One step of the marquee: moves one pixel towards the limit, turns at the
// limit and at 3. A limit of 3 or less makes the text tremble between
// limit - 1 and limit.
Bounce BounceStep(Bounce current, std::int32_t limit);

// The colour behind the headline: the dialog's own background, so that the
// band the marquee erases cannot be told from the rest of the window.
COLORREF MarqueeBackground();

// The band a marquee step paints opaque: the text at `x` with one pixel more
// on each side (the column a one-pixel step leaves behind), grown to cover
// the band of the step before, so a headline that became shorter leaves no
// tail. `previous` is empty (all zero) for the first step.
RECT MarqueeBand(const RECT& previous, int x, int textWidth, int height);

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
