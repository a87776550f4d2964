// Private window messages and the notification icon's identifier.
#pragma once

#include <windows.h>

// The notification icon's callback message to the main window.
inline constexpr UINT WM_TRAYNOTIFY = 0x8002;
// Sent by the phrase dialog to the main window to start the desktop scatter.
// The value is WM_USER + 1, which a dialog manager also reads as DM_SETDEFID
// when a dialog procedure declines it; only the main window receives it.
inline constexpr UINT WM_SCATTERPHRASE = 0x0401;

inline constexpr UINT TRAY_ICON_ID = 0x8001;
