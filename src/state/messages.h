// The program's private window messages and the notification icon's
// identifier. Several layers send them, so they live here, below all of them.
#pragma once

#include <windows.h>

// The notification icon's callback message to the main window.
inline constexpr UINT WM_TRAYNOTIFY = 0x8002;
// Sent by the phrase dialog to the main window to start the desktop scatter.
// The value is WM_USER + 1, which a dialog manager also reads as DM_SETDEFID
// when a dialog procedure declines it; only the main window receives it.
inline constexpr UINT WM_SCATTERPHRASE = 0x0401;
// Sent by a worker to the main window once its test-mode message has been
// closed; the main window enables the run controls if nothing runs.
inline constexpr UINT WM_TESTMESSAGECLOSED = WM_APP + 3;
// Sent by a worker whose operation has reached its moment: wParam is the
// Operation, lParam the generation the worker was started for. The main
// window returns the operation to idle if that run still stands and answers
// TRUE; FALSE when it was cancelled or superseded meanwhile.
inline constexpr UINT WM_RETURNTOIDLE = WM_APP + 4;
// Sent by a worker whose run has ended while a resume mode is set: the main
// window arms the wake-up if it is idle (an armed one stays armed), so the
// wake-up changes state on the GUI thread only.
inline constexpr UINT WM_ARMWAKE = WM_APP + 5;
// Sent by whoever asked for an end action that the system refused: wParam is
// the EndAction, lParam the error. The main window says why, in a box of its
// own, and leaves every operation idle.
inline constexpr UINT WM_ENDACTIONREFUSED = WM_APP + 6;

// Sent by the wake thread after a wake-up whose resume mode goes on to the
// scheduled end: the main window starts it, unattended, if it is idle.
inline constexpr UINT WM_STARTSCHEDULEDEND = WM_APP + 7;

// Sent by the scheduled-end thread whose wait spanned a suspend that was not
// reported: wParam is its generation. The main window arms the scheduled end
// again for the next occurrence of its moment, if that run still stands.
inline constexpr UINT WM_RESTARTSCHEDULEDEND = WM_APP + 8;

inline constexpr UINT TRAY_ICON_ID = 0x8001;

// Sent by a worker to the count-down window: show the CountdownShown
// (state/view.h) that lParam points to, while its run stands.
inline constexpr UINT WM_SHOWCOUNTDOWN = WM_APP + 9;
