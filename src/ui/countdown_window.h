// The count-down window: a small window at the lower right of the primary
// monitor's work area, above everything but never taking the keyboard, that
// names the end action to come, shows the seconds left in large digits and
// offers 中止 and 延長. It lives on the GUI thread; the operations reach it
// only through their view.
#pragma once

#include <windows.h>

#include <cstdint>

#include "state/view.h"

// What the window asks of the layers above it, which hand it these functions.
struct CountdownHandlers {
    // Whether run `generation` of `operation` still stands: only then is it shown.
    bool (*stands)(Operation operation, std::uint32_t generation);
    // Whether 延長 can put off that operation's moment.
    bool (*extendable)(Operation operation);
    // 中止: stops whatever runs, as the icon's abort does.
    void (*abort)();
    // 延長 for run `generation` of `operation`.
    void (*extend)(Operation operation, std::uint32_t generation);
};

// GUI thread. Makes the window, hidden; false when the system refused it (the
// balloons and sounds then warn alone).
bool CreateCountdownWindow(HINSTANCE instance, const CountdownHandlers& handlers);

// GUI thread. Shows `countdown` (or updates the seconds of the one shown)
// while its run stands, without activating the window.
void ShowCountdownWindow(const CountdownShown& countdown);

// GUI thread. Hides the window if it shows `operation`.
void HideCountdownWindow(Operation operation);

// Where the window stands: `size` put at the lower right of `workArea`,
// `margin` pixels from its edges, and kept inside it.
RECT PlaceAtLowerRight(const RECT& workArea, SIZE size, int margin);
