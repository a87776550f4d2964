// The notification-area icon. The icon record is shared by the GUI thread and
// worker threads: every change is made under a lock and the record is sent to
// the shell as a copy taken under that lock, never while it is being changed.
#include "ui/tray.h"

#include <atomic>

#include "state/messages.h"
#include "platform/critical_section.h"
#include "platform/system.h"
#include "platform/text.h"
#include "res/resource.h"
#include "state/app_state.h"
#include "ui/locking.h"
#include "ui/windows.h"

// Built against Windows XP's headers, the record is the full wide layout with
// balloon fields and item GUID that XP's shell takes.
static_assert(sizeof(void*) != 4 || sizeof(NOTIFYICONDATAW) == 952, "the 32-bit notification record is 952 bytes");

namespace {

constexpr wchar_t kAbortBalloon[] = L"終了処理中止";

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

void ShowAbortBalloon() {
    wchar_t phrase[kPhraseUnits];
    app.phraseText.CopyTo(phrase);
    Update(NIM_MODIFY, [&](NOTIFYICONDATAW& record) {
        record.hIcon = QuestionIcon();
        CopyText(record.szInfo, kAbortBalloon);
        CopyText(record.szTip, phrase);
    });
}

void SetButtonText(HWND window, int id, const wchar_t* text) {
    if (window != nullptr) ::SetDlgItemTextW(window, id, text);
}

// After an abort the buttons of the stopped operations offer to start again,
// so their captions read their idle texts again, kept ones included. A button
// whose operation the abort left armed (its idle flag still 0) keeps its
// cancel caption, so caption and next click always agree.
void RestoreIdleCaptions() {
    if (app.scheduledEndIdle != 0) SetButtonText(OpenDialog(app.mainWindow), IDC_MAIN_RUN, L"処理実行");
    HWND manual = OpenDialog(app.manualWindow);
    if (app.waitProgramIdle != 0) {
        app.waitCaption.Set(L"ﾌﾟﾛｸﾞﾗﾑ待機終了");
        SetButtonText(manual, IDC_MAN_WAIT, L"ﾌﾟﾛｸﾞﾗﾑ待機終了");
    }
    if (app.timerEndIdle != 0) {
        app.timerCaption.Set(L"タイマー終了");
        SetButtonText(manual, IDC_MAN_TIMER, L"タイマー終了");
    }
    if (app.wakeIdle != 0) {
        app.wakeCaption.Set(L"指定時間復帰");
        SetButtonText(manual, IDC_MAN_WAKE, L"指定時間復帰");
    }
}

bool AnyOperationRunning() {
    return app.timerEndRunning != 0 || app.waitProgramRunning != 0 || app.scheduledEndRunning != 0 ||
           app.resumeCountdownRunning != 0;
}

void StopRunningOperations() {
    ShowAbortBalloon();
    // Only the final count-down after a wake-up: an armed wake-up stays armed.
    if (app.resumeCountdownRunning != 0) app.wakeBlock.Cancel();
    app.scheduledEndBlock.Cancel();
    app.waitProgramBlock.Cancel();
    app.timerEndBlock.Cancel();
    app.scheduledEndIdle = 1;
    app.waitProgramIdle = 1;
    app.timerEndIdle = 1;
    LockRunControls(1, 0);
    RestoreIdleCaptions();
    Sys().Sleep(1000);  // the abort balloon stays up for a second
}

// The wake thread wakes on the stop event and ends by itself; a program it
// started keeps running. Cancelled under the block's lock, so the thread
// cannot store a timer after the one closed here.
void DisarmWake() {
    {
        Lock hold(app.wakeBlock.lock);
        app.wakeBlock.Cancel();
    }
    app.wakeTimer.CancelTimerAndClose();
    app.wakeIdle = 1;
    app.wakeArmed = 0;
    RestoreHeadline();
    LockRunControls(1, 0);
    RestoreIdleCaptions();
    ShowAbortBalloon();
    Sys().Sleep(1000);
}

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
    CopyText(trayIcon.szInfoTitle, L"tovakeli");
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

void AbortFromTray() {
    if (AnyOperationRunning()) {
        StopRunningOperations();
    } else if (app.wakeArmed != 0) {
        DisarmWake();
    }
    wchar_t headline[decltype(app.headline)::kCapacity];
    app.headline.CopyTo(headline);
    Update(NIM_MODIFY, [&](NOTIFYICONDATAW& record) {
        record.hIcon = app.mainIcon;
        CopyText(record.szInfo, headline);
    });
}

void OnTrayNotify(WPARAM wParam, LPARAM lParam) {
    if (wParam != TRAY_ICON_ID) return;
    if (lParam == WM_LBUTTONDOWN) {
        RestoreFromTray();
    } else if (lParam == WM_RBUTTONDOWN) {
        AbortFromTray();
    }
}

void OnTaskbarCreated() {
    if (iconShown) Update(NIM_ADD, [](NOTIFYICONDATAW&) {});
}

void RestoreHeadline() {
    app.detailLine.Clear();
    if (!app.typedPhrase.Empty()) {
        app.headline.SetFrom(app.typedPhrase);
    } else {
        app.headline.SetFrom(app.phraseText);
    }
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
