// What the operations show the user and ask of the windows above them, as
// one small interface. The windows implement it (app/window_view.h); tests
// install a fake. So the operations and the end actions know no dialog, no
// window handle and no control identifier: they say what is to be seen, and
// the view decides where.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>

#include "state/end_action.h"
#include "state/operation.h"

// What the count-down window shows: the run it belongs to, the end action
// to come and the seconds left until it.
struct CountdownShown {
    Operation operation;
    std::uint32_t generation;
    EndAction action;
    std::int64_t seconds;
};

class View {
public:
    virtual ~View() = default;

    // GUI thread. The start/cancel button of `operation` shows `caption`; a
    // button of a dialog that is not open keeps it for the dialog's next
    // opening.
    virtual void ShowCaption(Operation operation, const wchar_t* caption) = 0;
    // GUI thread. Enables or disables every control that starts an operation
    // or chooses its moment, except the button of `except`.
    virtual void LockRunControls(bool enable, std::optional<Operation> except) = 0;
    // Any thread, best effort. The hours, minutes and seconds the timer end
    // has left, in the fields it was started from.
    virtual void ShowTimeLeft(std::int32_t hours, std::int32_t minutes, std::int32_t seconds) = 0;
    // Any thread. A box owned by the main window (no owner when it is
    // closing); the button pressed.
    virtual int ShowBox(const wchar_t* text, const wchar_t* caption, UINT style) = 0;

    // Asked from a worker, answered on the GUI thread (nothing, or false,
    // once the main window has closed). Whether the run `generation` of
    // `operation` still stood and is now idle.
    virtual bool ReturnToIdle(Operation operation, std::uint32_t generation) = 0;
    // Arm the wake-up if it is idle (an armed one stays armed).
    virtual void ArmWake() = 0;
    // Start the scheduled end if it is idle, unattended.
    virtual void StartScheduledEnd() = 0;
    // The scheduled end's run `generation` slept through its wait without a
    // suspend notice: arm it again for the next occurrence of its moment, as
    // after a resume that was reported, if that run still stands.
    virtual void RestartScheduledEnd(std::uint32_t generation) = 0;
    // Hide the windows behind the icon once the main window has been shown.
    virtual void MinimizeWhenShown() = 0;
    // The test-mode message has been closed: unlock if nothing runs.
    virtual void TestMessageClosed() = 0;
    // The system refused `action` with `error`.
    virtual void EndActionRefused(EndAction action, DWORD error) = 0;

    // Any thread; waits for the GUI thread. The count-down window shows
    // `countdown`, only while its run still stands there, so a worker that
    // lost a race with a stop never shows it again.
    virtual void ShowCountdown(const CountdownShown& countdown) = 0;
    // GUI thread. The count-down window goes away if it shows `operation`.
    virtual void HideCountdown(Operation operation) = 0;
};

// The view in force: the windows' once the program has installed it,
// otherwise one that shows nothing and answers every request with "no".
View& TheView();

// Installs a view (nullptr: the one that shows nothing); returns the one it
// replaces. Installed before any thread that reports to it starts.
View* InstallView(View* view);

// Installs a view for one scope, as tests do.
class ScopedView {
public:
    explicit ScopedView(View& view) : previous_(InstallView(&view)) {}
    ~ScopedView() { InstallView(previous_); }
    ScopedView(const ScopedView&) = delete;
    ScopedView& operator=(const ScopedView&) = delete;

private:
    View* previous_;
};
