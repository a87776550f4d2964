// The notification-area icon: hiding the windows into it, restoring them,
// and its tip and balloon texts.
#pragma once

#include <windows.h>

#include "platform/handle.h"

#include <cstdint>

// While the shell refuses the icon, the main window calls RetryTrayIcon on
// its timer kTrayRetryTimer every kTrayRetryMilliseconds, for as long as
// TrayIconPending says; after kTrayRetryLimitMilliseconds of refusals the
// windows are shown again.
inline constexpr UINT_PTR kTrayRetryTimer = 1;
inline constexpr UINT kTrayRetryMilliseconds = 2000;
inline constexpr std::uint64_t kTrayRetryLimitMilliseconds = 120000;

// NIF_REALTIME, which Windows XP's headers lack: from Vista on, the shell
// drops a balloon sent with it that it cannot show at once, instead of
// queueing it to show late. It is sent from kFirstRealtimeVersion on only: an
// older shell may refuse a record with a flag it does not know, which would
// lose the balloon altogether.
inline constexpr UINT kNifRealtime = 0x00000040;
inline constexpr WORD kFirstRealtimeVersion = 0x0600;  // Vista

// The program's icon in the size of the given system metrics at `dpi`, e.g.
// SM_CXSMICON and SM_CYSMICON for the small icon: the image made for that
// size, not a larger one scaled down. A shared icon would not do: Windows
// hands back the first size it loaded, whatever size is asked for.
OwnedIcon LoadProgramIcon(int widthMetric, int heightMetric, UINT dpi);

// The icon the notification area shows while nothing is aborted.
HICON TrayProgramIcon();

// Prepares the icon record; the icon is not shown yet.
void InitTrayIcon();

// Hides the main window and the open secondary dialogs and shows the icon
// with the headline and detail line as tip and balloon. Returns TRUE. Should
// the shell refuse the icon, the windows stay hidden while the main window's
// timer retries (TrayIconPending).
BOOL HideToTray();

// Called first by every dialog procedure of the program. A modal dialog loop
// shows its dialog the first time its queue runs empty (or at its first timer
// message), whether or not the dialog has been hidden since: a minimise
// handled before that moment, in the loop of a dialog just opened, would have
// that window show itself again right after it was hidden. While the windows
// are hidden behind the icon, this turns every attempt to show one of them
// into a plain move; RestoreFromTray ends it.
void KeepHiddenBehindIcon(UINT message, LPARAM lParam);

// Shows the windows again, raises them (main window in front) and removes the icon.
void RestoreFromTray();

// The question-mark icon with the abort balloon and the stored phrase as its
// tip: what an abort from the icon shows first.
void ShowAbortBalloon();

// The program's icon again, with the headline as its balloon: the end of an
// abort from the icon.
void ShowHeadlineAfterAbort();

// Adds the icon again after the shell has restarted, if it should be shown;
// a refused add is retried like the first one.
void OnTaskbarCreated();

// Whether the shell has refused the icon so far and the main window's timer
// is to call RetryTrayIcon.
bool TrayIconPending();

// One more attempt to add a refused icon (the main window's timer). Once the
// retries have gone on for kTrayRetryLimitMilliseconds, it gives up and shows
// the windows again, as a click on the icon would, so that the program stays
// within the user's reach.
void RetryTrayIcon();

// Rewrites tip and balloon from the headline and detail line and sends them:
// the balloon shows them as a new message.
void RefreshTray();

// Rewrites tip and balloon text likewise but sends the tip alone: a tick of
// a long count, whose balloon would only repeat the message with another
// time. The balloon text is kept for the icon's next add.
void RefreshTrayTip();

// Shows the text as a balloon of its own (tip unchanged): a second of the
// final count-down, sent with kNifRealtime (Vista and later) since it is
// stale a second later.
void SetTrayBalloon(const wchar_t* text);

// Shows `text` in a warning balloon of the icon; when the icon is not shown,
// it is the balloon the icon shows when it is next added. Later balloons
// are information balloons again.
void ShowWarningBalloon(const wchar_t* text);

// Removes the icon (before an immediate session end).
void RemoveTrayIcon();

// Whether the shell has accepted the icon (and it has not been removed since).
bool TrayIconShown();

// The message the shell broadcasts when the taskbar is (re)created.
UINT TaskbarCreatedMessage();
