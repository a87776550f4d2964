// The notification-area icon. The icon record is shared by the GUI thread and
// worker threads: every change is made under a lock and the record is sent to
// the shell as a copy taken under that lock, never while it is being changed.
#include "ui/tray.h"

#include <atomic>

#include "platform/critical_section.h"
#include "platform/system.h"
#include "platform/text.h"
#include "platform/windows.h"
#include "res/resource.h"
#include "state/app_state.h"
#include "state/messages.h"

// Built against Windows XP's headers, the record is the full wide layout with
// balloon fields and item GUID that XP's shell takes.
static_assert(sizeof(void*) != 4 || sizeof(NOTIFYICONDATAW) == 952, "the 32-bit notification record is 952 bytes");

namespace {

CriticalSection trayLock;
NOTIFYICONDATAW trayIcon GUARDED_BY(trayLock);
std::atomic<bool> iconShown{false};
std::atomic<bool> windowsHidden{false};  // between HideToTray and RestoreFromTray

// Changes the record under the lock, then sends a copy of it.
template <typename Change>
void Update(DWORD message, Change change) {
    NOTIFYICONDATAW copy;
    {
        Lock hold(trayLock);
        change(trayIcon);
        copy = trayIcon;
    }
    Sys().NotifyIcon(message, copy);
}

// Tip and balloon both read headline followed by detail line.
void WriteHeadlineTexts(NOTIFYICONDATAW& record) {
    wchar_t headline[decltype(app.headline)::kCapacity];
    wchar_t detail[decltype(app.detailLine)::kCapacity];
    app.headline.CopyTo(headline);
    app.detailLine.CopyTo(detail);
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

void InitTrayIcon() {
    Lock hold(trayLock);
    trayIcon = NOTIFYICONDATAW{};
    trayIcon.cbSize = sizeof(trayIcon);
    trayIcon.hWnd = app.mainWindow.load();
    trayIcon.uID = TRAY_ICON_ID;
    trayIcon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_INFO;
    trayIcon.uCallbackMessage = WM_TRAYNOTIFY;
    trayIcon.hIcon = ::LoadIconW(app.instance, MAKEINTRESOURCEW(IDI_MAIN));
    trayIcon.uTimeout = 3000;
    CopyText(trayIcon.szInfoTitle, kBalloonTitle);
    trayIcon.dwInfoFlags = NIIF_INFO;
}

BOOL HideToTray() {
    {
        Lock hold(trayLock);
        WriteHeadlineTexts(trayIcon);
    }
    static const std::atomic<HWND>* const order[] = {&app.settingsWindow, &app.manualWindow, &app.mainWindow};
    ForEachWindow(order, 3, [](HWND window) {
        ::ShowWindow(window, SW_MINIMIZE);
        ::ShowWindow(window, SW_HIDE);
    });
    windowsHidden = true;
    iconShown = true;
    Update(NIM_ADD, [](NOTIFYICONDATAW&) {});
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
    static const std::atomic<HWND>* const showOrder[] = {&app.mainWindow, &app.settingsWindow, &app.manualWindow};
    windowsHidden = false;
    ForEachWindow(showOrder, 3, [](HWND window) { ::ShowWindow(window, SW_SHOWNORMAL); });
    static const std::atomic<HWND>* const raiseOrder[] = {&app.settingsWindow, &app.manualWindow, &app.mainWindow};
    ForEachWindow(raiseOrder, 3, [](HWND window) {
        ::SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        ::SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    });
    RemoveTrayIcon();
}

void ShowAbortBalloon() {
    wchar_t phrase[kPhraseUnits];
    app.phraseText.CopyTo(phrase);
    Update(NIM_MODIFY, [&](NOTIFYICONDATAW& record) {
        record.hIcon = QuestionIcon();
        CopyText(record.szInfo, kAbortBalloon);
        CopyText(record.szTip, phrase);
    });
}

void ShowHeadlineAfterAbort() {
    wchar_t headline[kHeadlineUnits];
    app.headline.CopyTo(headline);
    Update(NIM_MODIFY, [&](NOTIFYICONDATAW& record) {
        record.hIcon = app.mainIcon;
        CopyText(record.szInfo, headline);
    });
}

void OnTaskbarCreated() {
    if (iconShown) Update(NIM_ADD, [](NOTIFYICONDATAW&) {});
}

void RefreshTray() { Update(NIM_MODIFY, WriteHeadlineTexts); }

void SetTrayBalloon(const wchar_t* text) {
    Update(NIM_MODIFY, [text](NOTIFYICONDATAW& record) { CopyText(record.szInfo, text); });
}

void RemoveTrayIcon() {
    iconShown = false;
    Update(NIM_DELETE, [](NOTIFYICONDATAW&) {});
}

bool TrayIconShown() { return iconShown; }

UINT TaskbarCreatedMessage() {
    static const UINT message = ::RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}
