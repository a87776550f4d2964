// The notification-area icon. The icon record is shared by the GUI thread and
// worker threads: every change is made under a lock and the record is sent to
// the shell as a copy taken under that lock, never while it is being changed.
// Adding, re-adding, retrying and removing the icon happen on the GUI thread
// alone; workers only modify it.
#include "ui/tray.h"

#include <atomic>
#include <cstdint>

#include "platform/critical_section.h"
#include "platform/dpi.h"
#include "platform/system.h"
#include "platform/text.h"
#include "platform/windows.h"
#include "res/resource.h"
#include "state/app_state.h"
#include "state/messages.h"
#include "ui/program_windows.h"

// Built against Windows XP's headers, the record is the full wide layout with
// balloon fields and item GUID that XP's shell takes.
static_assert(sizeof(void*) != 4 || sizeof(NOTIFYICONDATAW) == 952, "the 32-bit notification record is 952 bytes");

namespace {

CriticalSection trayLock;
NOTIFYICONDATAW trayIcon GUARDED_BY(trayLock);
std::atomic<bool> iconWanted{false};     // between HideToTray and RemoveTrayIcon
std::atomic<bool> iconShown{false};      // the shell has accepted it since
std::atomic<bool> iconPending{false};    // refused so far: the timer retries
std::atomic<bool> windowsHidden{false};  // between HideToTray and RestoreFromTray
std::uint64_t retryDeadline = 0;         // Sys().Ticks() to give up at; GUI thread only
OwnedIcon programIcon;                   // loaded by InitTrayIcon; GUI thread only
// A warning waiting for the icon (ShowWarningBalloon); empty when none.
wchar_t pendingWarning[256] GUARDED_BY(trayLock) = {};

// What a copy of the record sent to the shell does with the balloon. The
// record keeps NIF_INFO, so that an add always shows the current balloon.
enum class Balloon {
    Show,      // as the record says: NIF_INFO shows szInfo
    Realtime,  // shown now or never (kNifRealtime)
    None,      // NIF_INFO left out: tip, icon and callback only
};

// Sends a copy of the record in the size the shell takes: the shell of
// Windows 2000 (5.0) knows the record only up to its balloon fields.
DWORD Send(DWORD message, NOTIFYICONDATAW& copy) {
    constexpr WORD kFullRecordShell = 0x0600;
    copy.cbSize = Sys().ShellVersion() >= kFullRecordShell ? sizeof copy : NOTIFYICONDATAW_V2_SIZE;
    return Sys().NotifyIcon(message, copy);
}

// Changes the record under the lock, then sends a copy of it; the shell's answer.
template <typename Change>
BOOL Update(DWORD message, Change change, Balloon balloon = Balloon::Show) {
    NOTIFYICONDATAW copy;
    {
        Lock hold(trayLock);
        change(trayIcon);
        copy = trayIcon;
    }
    if (balloon == Balloon::None) copy.uFlags &= ~static_cast<UINT>(NIF_INFO);
    if (balloon == Balloon::Realtime && Sys().WindowsVersion() >= kFirstRealtimeVersion) copy.uFlags |= kNifRealtime;
    return Send(message, copy) == ERROR_SUCCESS ? TRUE : FALSE;
}

void Unchanged(NOTIFYICONDATAW&) {}

// An elevated program runs at a higher integrity level than the shell, and
// User Interface Privilege Isolation (Vista and later) drops what the shell
// sends it: the "TaskbarCreated" broadcast after the shell's restart, so the
// icon would not come back, and the icon's own callback message. Both are let
// through, to the main window alone where Windows 7's call exists and to the
// process on Vista; older systems filter nothing. A failure leaves the icon
// as it would have been without.
void AllowShellMessages(HWND window) {
    const UINT taskbarCreated = TaskbarCreatedMessage();
    for (UINT message : {WM_TRAYNOTIFY, taskbarCreated}) {
        if (message == 0) continue;  // not registered
        if (Sys().AllowWindowMessage(window, message) == ERROR_PROC_NOT_FOUND) Sys().AllowProcessMessage(message);
    }
}

// Sends the pending warning, if there is one, as a warning balloon of the
// shown icon; the record keeps its information flag for the balloons after it.
void ShowPendingWarning() {
    NOTIFYICONDATAW copy;
    {
        Lock hold(trayLock);
        if (pendingWarning[0] == L'\0') return;
        copy = trayIcon;
        CopyText(copy.szInfo, pendingWarning);
        copy.dwInfoFlags = NIIF_WARNING;
        pendingWarning[0] = L'\0';
    }
    // A refused one is lost with the icon; the operation goes on either way.
    Send(NIM_MODIFY, copy);
}

// Hands the icon to the shell; true once the shell has it. NIM_ADD fails
// when the notification area is missing or too busy to answer in time, as
// it often is while Windows starts; but a busy shell may still carry out an
// add whose caller gave up waiting, and an add of an icon it already has
// fails for good. So a failed add is followed by a NIM_MODIFY without
// NIF_INFO (no second balloon), whose success tells that the icon is there.
bool AddIcon() {
    const bool added = Update(NIM_ADD, Unchanged) != FALSE || Update(NIM_MODIFY, Unchanged, Balloon::None) != FALSE;
    iconShown = added;
    if (added) ShowPendingWarning();
    return added;
}

// Adds the wanted icon, or retries it on the main window's timer for a while.
void AddIconOrRetry() {
    if (AddIcon()) {
        iconPending = false;
        return;
    }
    retryDeadline = Sys().Ticks() + kTrayRetryLimitMilliseconds;
    iconPending = true;
}

// Tip and balloon both read headline followed by detail line.
void WriteHeadlineTexts(NOTIFYICONDATAW& record) {
    wchar_t headline[decltype(App().headline)::kCapacity];
    wchar_t detail[decltype(App().detailLine)::kCapacity];
    App().headline.CopyTo(headline);
    App().detailLine.CopyTo(detail);
    FormatText(record.szTip, L"%ls%ls", headline, detail);
    FormatText(record.szInfo, L"%ls%ls", headline, detail);
}

HICON QuestionIcon() { return ::LoadIconW(nullptr, IDI_QUESTION); }

void ForEachWindow(const std::atomic<HWND>* const* order, int count, void (*action)(HWND)) {
    for (int i = 0; i < count; ++i) {
        if (HWND window = OpenDialog(*order[i])) action(window);
    }
}

}  // namespace

OwnedIcon LoadProgramIcon(int widthMetric, int heightMetric, UINT dpi) {
    return OwnedIcon(static_cast<HICON>(::LoadImageW(App().instance, MAKEINTRESOURCEW(IDI_MAIN), IMAGE_ICON,
                                                     SystemMetricForDpi(widthMetric, dpi),
                                                     SystemMetricForDpi(heightMetric, dpi), LR_DEFAULTCOLOR)));
}

HICON TrayProgramIcon() { return programIcon.get(); }

void InitTrayIcon() {
    HWND main = programWindows.main.load();
    AllowShellMessages(main);
    Lock hold(trayLock);
    trayIcon = NOTIFYICONDATAW{};
    trayIcon.cbSize = sizeof(trayIcon);
    trayIcon.hWnd = main;
    trayIcon.uID = TRAY_ICON_ID;
    trayIcon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_INFO;
    trayIcon.uCallbackMessage = WM_TRAYNOTIFY;
    // The notification area is drawn at the system's DPI.
    if (!programIcon) programIcon = LoadProgramIcon(SM_CXSMICON, SM_CYSMICON, SystemDpi());
    trayIcon.hIcon = programIcon.get();
    trayIcon.uTimeout = 3000;
    CopyText(trayIcon.szInfoTitle, kBalloonTitle);
    trayIcon.dwInfoFlags = NIIF_INFO;
}

BOOL HideToTray() {
    {
        Lock hold(trayLock);
        WriteHeadlineTexts(trayIcon);
    }
    static const std::atomic<HWND>* const order[] = {&programWindows.settings, &programWindows.manual,
                                                     &programWindows.main};
    ForEachWindow(order, 3, [](HWND window) {
        ::ShowWindow(window, SW_MINIMIZE);
        ::ShowWindow(window, SW_HIDE);
    });
    windowsHidden = true;
    iconWanted = true;
    AddIconOrRetry();
    return TRUE;
}

void KeepHiddenBehindIcon(UINT message, LPARAM lParam) {
    if (message != WM_WINDOWPOSCHANGING || !windowsHidden) return;
    // NOLINTNEXTLINE(performance-no-int-to-ptr): the message carries the record's address
    auto* position = reinterpret_cast<WINDOWPOS*>(lParam);
    if ((position->flags & SWP_SHOWWINDOW) != 0) {
        position->flags &= ~SWP_SHOWWINDOW;
        position->flags |= SWP_NOACTIVATE;  // a hidden window takes no focus either
    }
}

void RestoreFromTray() {
    static const std::atomic<HWND>* const showOrder[] = {&programWindows.main, &programWindows.settings,
                                                         &programWindows.manual};
    windowsHidden = false;
    ForEachWindow(showOrder, 3, [](HWND window) { ::ShowWindow(window, SW_SHOWNORMAL); });
    static const std::atomic<HWND>* const raiseOrder[] = {&programWindows.settings, &programWindows.manual,
                                                          &programWindows.main};
    ForEachWindow(raiseOrder, 3, [](HWND window) {
        ::SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        ::SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    });
    RemoveTrayIcon();
}

// The abort's balloons are new messages; a failure matters no more than
// RefreshTray's.
void ShowAbortBalloon() {
    wchar_t phrase[kPhraseUnits];
    App().phraseText.CopyTo(phrase);
    Update(NIM_MODIFY, [&](NOTIFYICONDATAW& record) {
        record.hIcon = QuestionIcon();
        CopyText(record.szInfo, kAbortBalloon);
        CopyText(record.szTip, phrase);
    });
}

void ShowHeadlineAfterAbort() {
    wchar_t headline[kHeadlineUnits];
    App().headline.CopyTo(headline);
    Update(NIM_MODIFY, [&](NOTIFYICONDATAW& record) {
        record.hIcon = programIcon.get();
        CopyText(record.szInfo, headline);
    });
}

void OnTaskbarCreated() {
    if (!iconWanted) return;
    iconShown = false;  // a new notification area starts empty
    AddIconOrRetry();
}

bool TrayIconPending() { return iconPending; }

void RetryTrayIcon() {
    if (!iconPending) return;
    if (AddIcon()) {
        iconPending = false;
    } else if (Sys().Ticks() >= retryDeadline) {
        RestoreFromTray();  // ends the retries too
    }
}

// A failed NIM_MODIFY needs no answer: either the icon is not in the
// notification area (the windows are shown, or the shell refuses it and the
// retry or a re-add after "TaskbarCreated" sends the record with this
// change), or a busy shell did not answer in time, and the next change
// replaces this one.
void RefreshTray() { Update(NIM_MODIFY, WriteHeadlineTexts); }

void RefreshTrayTip() { Update(NIM_MODIFY, WriteHeadlineTexts, Balloon::None); }

void SetTrayBalloon(const wchar_t* text) {
    const auto writeBalloon = [text](NOTIFYICONDATAW& record) { CopyText(record.szInfo, text); };
    Update(NIM_MODIFY, writeBalloon, Balloon::Realtime);
}

void ShowWarningBalloon(const wchar_t* text) {
    {
        Lock hold(trayLock);
        CopyText(pendingWarning, text);
    }
    if (iconShown) ShowPendingWarning();
}

void RemoveTrayIcon() {
    iconWanted = false;
    iconShown = false;
    iconPending = false;
    // Sent even for an icon the shell refused, since a refused add may have
    // been carried out late. A failure means that the shell has no such
    // icon (or there is no shell), which is what is asked for.
    Update(NIM_DELETE, Unchanged);
}

bool TrayIconShown() { return iconShown; }

UINT TaskbarCreatedMessage() {
    static const UINT message = ::RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}
