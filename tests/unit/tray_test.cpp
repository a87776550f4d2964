// The notification-area icon: its record, hiding and restoring the windows,
// the abort from the icon, the shell's restart, an icon the shell refuses,
// and texts written by other threads, through the recording system seam; and
// one round trip through the real notification area of the Wine desktop.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstring>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/main_window.h"
#include "dialogs/dialogs.h"
#include "fake_system.h"
#include "res/resource.h"
#include "schedule/operations.h"
#include "state/app_state.h"
#include "state/messages.h"
#include "ui/locking.h"
#include "ui/tray.h"
#include "ui_test_support.h"
#include "ui/program_windows.h"

namespace {

using test_support::ItemText;
using test_support::TestDialog;

constexpr wchar_t kPhrase[] = L"好きな言葉を入力すれば？";
constexpr wchar_t kCancelCaption[] = L"処理中断";

HICON ProgramIcon() { return TrayProgramIcon(); }
HICON QuestionIcon() { return ::LoadIconW(nullptr, IDI_QUESTION); }

std::wstring NotifyLine(DWORD message, const std::wstring& balloon) {
    return L"Notify " + std::to_wstring(message) + L" " + balloon;
}

// Position in the z-order of the top-level windows, 0 in front.
int ZOrder(HWND window) {
    int index = 0;
    for (HWND w = ::GetTopWindow(nullptr); w != nullptr; w = ::GetWindow(w, GW_HWNDNEXT), ++index) {
        if (w == window) return index;
    }
    return -1;
}

class TrayTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(nullptr, main_.get());
        programWindows.main = main_.get();
        App().phraseText.Set(kPhrase);
        App().headline.Set(kPhrase);
        InitTrayIcon();
        ::ShowWindow(main_.get(), SW_SHOWNORMAL);
    }
    void TearDown() override {
        fake_.refuseNotify = nullptr;  // it may refer to the test's own variables
        RemoveTrayIcon();              // forgets the icon while the fake is still installed
    }

    void ClearRecords() {
        fake_.calls.clear();
        fake_.notifies.clear();
        fake_.sleeps.clear();
    }

    // One run of the main window's retry timer, its interval later.
    void RetryTick() {
        fake_.ticks += kTrayRetryMilliseconds;
        EXPECT_EQ(FALSE, MainDialogProc(main_.get(), WM_TIMER, kTrayRetryTimer, 0));
    }
    // Whether the main window's retry timer is set; stops it (the next retry
    // sets it again while the icon is still refused).
    bool RetryTimerWasSet() { return ::KillTimer(main_.get(), kTrayRetryTimer) != FALSE; }

    // The state of a started operation as its toggle leaves it.
    void ShowOperationStarted(HWND manual, int caller) {
        ::SetDlgItemTextW(main_.get(), IDC_MAIN_RUN, kCancelCaption);
        for (int id : {IDC_MAN_WAIT, IDC_MAN_TIMER, IDC_MAN_WAKE}) ::SetDlgItemTextW(manual, id, kCancelCaption);
        KeepManualCaption(Operation::WaitProgram, kCancelCaption);
        KeepManualCaption(Operation::TimerEnd, kCancelCaption);
        KeepManualCaption(Operation::Wake, kCancelCaption);
        for (RunBlock* block :
             {&App().operation(Operation::Wake).block, &App().operation(Operation::ScheduledEnd).block,
              &App().operation(Operation::WaitProgram).block, &App().operation(Operation::TimerEnd).block}) {
            block->run = 1;
        }
        App().operation(Operation::ScheduledEnd).idle = 0;
        App().operation(Operation::WaitProgram).idle = 0;
        App().operation(Operation::TimerEnd).idle = 0;
        LockRunControls(0, caller);
    }

    void ExpectAllRunControlsEnabled(HWND manual) {
        for (int id : {IDC_MAIN_SHUTDOWN, IDC_MAIN_HIBERNATE, IDC_MAIN_FORCE, IDC_MAIN_TEST, IDC_MAIN_END_MONTH,
                       IDC_MAIN_WAKE_MINUTE, IDC_MAIN_RUN}) {
            EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(main_.get(), id))) << "main control " << id;
        }
        for (int id : {IDC_MAN_WAKE, IDC_MAN_PROCESS, IDC_MAN_WAIT, IDC_MAN_HOURS, IDC_MAN_SECONDS, IDC_MAN_MINUTES,
                       IDC_MAN_TIMER}) {
            EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(manual, id))) << "manual control " << id;
        }
    }

    FakeSystem fake_;
    ScopedSystem scoped_{fake_};
    TestDialog main_{IDD_MAIN};
};

TEST_F(TrayTest, RecordAsPrepared) {
    SetTrayBalloon(L"left over");  // a second preparation starts from zero again
    InitTrayIcon();
    ClearRecords();
    RemoveTrayIcon();  // sends the record as it is

    ASSERT_EQ(1u, fake_.notifies.size());
    const NOTIFYICONDATAW& record = fake_.notifies[0].data;
    EXPECT_EQ(static_cast<DWORD>(NIM_DELETE), fake_.notifies[0].message);
    EXPECT_EQ(static_cast<DWORD>(sizeof(NOTIFYICONDATAW)), record.cbSize);
    EXPECT_EQ(main_.get(), record.hWnd);
    EXPECT_EQ(TRAY_ICON_ID, record.uID);
    EXPECT_EQ(static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_INFO), record.uFlags);
    EXPECT_EQ(WM_TRAYNOTIFY, record.uCallbackMessage);
    EXPECT_NE(nullptr, record.hIcon);
    EXPECT_EQ(ProgramIcon(), record.hIcon);
    EXPECT_STREQ(L"", record.szTip);
    EXPECT_STREQ(L"", record.szInfo);
    EXPECT_EQ(3000u, record.uTimeout);
    EXPECT_STREQ(L"tovakeli", record.szInfoTitle);
    EXPECT_EQ(static_cast<DWORD>(NIIF_INFO), record.dwInfoFlags);
    EXPECT_EQ(0u, record.dwState);
    EXPECT_EQ(0u, record.dwStateMask);
    EXPECT_EQ(GUID{}, record.guidItem);
}

TEST_F(TrayTest, MinimiseHidesEveryOpenWindowAndRestoreBringsThemBack) {
    TestDialog settings{IDD_SETTINGS};
    TestDialog manual{IDD_MANUAL};
    programWindows.settings = settings.get();
    programWindows.manual = manual.get();
    App().headline.Set(L"指定時間終了 休止");
    App().detailLine.Set(L"\r\n23時59分");

    EXPECT_EQ(TRUE, MainDialogProc(main_.get(), WM_SYSCOMMAND, SC_MINIMIZE, 0));

    for (HWND window : {main_.get(), settings.get(), manual.get()}) EXPECT_FALSE(::IsWindowVisible(window));
    ASSERT_EQ(1u, fake_.notifies.size());
    EXPECT_EQ(static_cast<DWORD>(NIM_ADD), fake_.notifies[0].message);
    const NOTIFYICONDATAW& added = fake_.notifies[0].data;
    EXPECT_STREQ(L"指定時間終了 休止\r\n23時59分", added.szTip);
    EXPECT_STREQ(L"指定時間終了 休止\r\n23時59分", added.szInfo);
    EXPECT_EQ(main_.get(), added.hWnd);
    EXPECT_EQ(ProgramIcon(), added.hIcon);
    EXPECT_TRUE(TrayIconShown());

    EXPECT_EQ(FALSE, MainDialogProc(main_.get(), WM_TRAYNOTIFY, TRAY_ICON_ID, WM_LBUTTONDOWN));

    for (HWND window : {main_.get(), settings.get(), manual.get()}) {
        EXPECT_TRUE(::IsWindowVisible(window));
        EXPECT_FALSE(::IsIconic(window));
    }
    // Raised one after the other, the main window last and so in front.
    EXPECT_LT(ZOrder(main_.get()), ZOrder(manual.get()));
    EXPECT_LT(ZOrder(manual.get()), ZOrder(settings.get()));
    for (HWND window : {main_.get(), settings.get(), manual.get()}) {
        EXPECT_EQ(0, ::GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    }
    ASSERT_EQ(2u, fake_.notifies.size());
    EXPECT_EQ(static_cast<DWORD>(NIM_DELETE), fake_.notifies[1].message);
    EXPECT_EQ(main_.get(), fake_.notifies[1].data.hWnd);
    EXPECT_EQ(TRAY_ICON_ID, fake_.notifies[1].data.uID);
    EXPECT_FALSE(TrayIconShown());
    EXPECT_TRUE(fake_.sleeps.empty());
}

TEST_F(TrayTest, ClosedDialogsAreNeitherHiddenNorShown) {
    // A manual dialog that is not the program's open one, and a settings
    // dialog that has closed without its handle being forgotten.
    TestDialog stranger{IDD_MANUAL};
    TestDialog closed{IDD_SETTINGS};
    programWindows.settings = closed.get();
    closed.Destroy();

    EXPECT_EQ(TRUE, HideToTray());
    EXPECT_FALSE(::IsWindowVisible(main_.get()));
    EXPECT_TRUE(::IsWindowVisible(stranger.get()));
    // Nothing runs: tip and balloon are the phrase alone.
    ASSERT_EQ(1u, fake_.notifies.size());
    EXPECT_STREQ(kPhrase, fake_.notifies[0].data.szTip);
    EXPECT_STREQ(kPhrase, fake_.notifies[0].data.szInfo);

    ::ShowWindow(stranger.get(), SW_HIDE);
    RestoreFromTray();
    EXPECT_TRUE(::IsWindowVisible(main_.get()));
    EXPECT_FALSE(::IsWindowVisible(stranger.get()));
}

TEST_F(TrayTest, OtherMouseMessagesAndIdentifiersAreIgnored) {
    HideToTray();
    ClearRecords();
    App().operation(Operation::TimerEnd).running = 1;  // an abort would show
    App().operation(Operation::TimerEnd).idle = 0;

    // Moves, button-ups, double clicks, other buttons, balloon and key events.
    for (LPARAM lParam :
         {WM_MOUSEMOVE, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONUP, WM_RBUTTONDBLCLK, WM_MBUTTONDOWN, WM_MBUTTONUP,
          WM_MBUTTONDBLCLK, WM_MOUSEWHEEL, NIN_SELECT, NIN_BALLOONSHOW, NIN_BALLOONTIMEOUT, NIN_BALLOONUSERCLICK}) {
        SCOPED_TRACE(lParam);
        EXPECT_EQ(FALSE, MainDialogProc(main_.get(), WM_TRAYNOTIFY, TRAY_ICON_ID, lParam));
    }
    for (WPARAM wParam : {WPARAM{0}, WPARAM{1}, WPARAM{0x8000}, WPARAM{0x8002}, WPARAM{0x18001}}) {
        SCOPED_TRACE(wParam);
        for (LPARAM lParam : {WM_LBUTTONDOWN, WM_RBUTTONDOWN}) {
            EXPECT_EQ(FALSE, MainDialogProc(main_.get(), WM_TRAYNOTIFY, wParam, lParam));
        }
    }

    EXPECT_TRUE(fake_.calls.empty());
    EXPECT_FALSE(::IsWindowVisible(main_.get()));
    EXPECT_TRUE(TrayIconShown());
    EXPECT_EQ(0u, App().operation(Operation::TimerEnd).idle.load());
}

TEST_F(TrayTest, AbortStopsEachRunningOperation) {
    TestDialog manual{IDD_MANUAL};
    programWindows.manual = manual.get();
    struct Case {
        const char* name;
        std::atomic<std::uint32_t>* running;
        int caller;
        bool wakeArmedToo;
    };
    const Case cases[] = {
        {"scheduled end", &App().operation(Operation::ScheduledEnd).running, IDC_MAIN_RUN, false},
        {"timer end", &App().operation(Operation::TimerEnd).running, IDC_MAN_TIMER, false},
        {"wait for a program", &App().operation(Operation::WaitProgram).running, IDC_MAN_WAIT, false},
        {"count-down after a wake-up", &App().resumeCountdownRunning, 0, false},
        {"timer end with a wake-up armed", &App().operation(Operation::TimerEnd).running, IDC_MAN_TIMER, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ShowOperationStarted(manual.get(), c.caller);
        *c.running = 1;
        App().resumeCountdownGeneration = App().operation(Operation::Wake).block.generation.load();
        App().operation(Operation::Wake).running = c.wakeArmedToo ? 1 : 0;
        App().operation(Operation::Wake).idle = c.wakeArmedToo ? 0 : 1;
        if (!c.wakeArmedToo) ShowOperationCaption(Operation::Wake, kWakeCaption);
        App().headline.Set(L"タイマー終了");
        App().detailLine.Set(L"\r\n残り 0時間5分0秒");
        ClearRecords();

        EXPECT_EQ(FALSE, MainDialogProc(main_.get(), WM_TRAYNOTIFY, TRAY_ICON_ID, WM_RBUTTONDOWN));

        for (RunBlock* block :
             {&App().operation(Operation::ScheduledEnd).block, &App().operation(Operation::WaitProgram).block,
              &App().operation(Operation::TimerEnd).block}) {
            EXPECT_EQ(0u, block->run.load());
        }
        // The wake block is stopped for its count-down only: an armed wake-up waits on.
        EXPECT_EQ(c.running == &App().resumeCountdownRunning ? 0u : 1u,
                  App().operation(Operation::Wake).block.run.load());
        EXPECT_EQ(1u, App().operation(Operation::ScheduledEnd).idle.load());
        EXPECT_EQ(1u, App().operation(Operation::WaitProgram).idle.load());
        EXPECT_EQ(1u, App().operation(Operation::TimerEnd).idle.load());
        // An armed wake-up stays armed.
        EXPECT_EQ(c.wakeArmedToo ? 1u : 0u, App().operation(Operation::Wake).running.load());
        EXPECT_EQ(c.wakeArmedToo ? 0u : 1u, App().operation(Operation::Wake).idle.load());
        ExpectAllRunControlsEnabled(manual.get());

        EXPECT_EQ(L"処理実行", ItemText(main_.get(), IDC_MAIN_RUN));
        EXPECT_EQ(L"ﾌﾟﾛｸﾞﾗﾑ待機終了", ItemText(manual.get(), IDC_MAN_WAIT));
        EXPECT_EQ(L"タイマー終了", ItemText(manual.get(), IDC_MAN_TIMER));
        // The wake-up button offers to cancel exactly while the wake-up stays armed.
        const std::wstring wakeCaption = c.wakeArmedToo ? kCancelCaption : L"指定時間復帰";
        EXPECT_EQ(wakeCaption, ItemText(manual.get(), IDC_MAN_WAKE));
        EXPECT_EQ(L"ﾌﾟﾛｸﾞﾗﾑ待機終了", std::wstring(KeptManualCaption(Operation::WaitProgram)));
        EXPECT_EQ(L"タイマー終了", std::wstring(KeptManualCaption(Operation::TimerEnd)));
        EXPECT_EQ(wakeCaption, std::wstring(KeptManualCaption(Operation::Wake)));

        // The headline is the stopping thread's to restore.
        EXPECT_EQ(L"タイマー終了", App().headline.Get());
        EXPECT_EQ(L"\r\n残り 0時間5分0秒", App().detailLine.Get());

        const std::vector<std::wstring> expectedCalls = {NotifyLine(NIM_MODIFY, L"終了処理中止"), L"Sleep 1000",
                                                         NotifyLine(NIM_MODIFY, L"タイマー終了")};
        EXPECT_EQ(expectedCalls, fake_.calls);
        ASSERT_EQ(2u, fake_.notifies.size());
        EXPECT_EQ(QuestionIcon(), fake_.notifies[0].data.hIcon);
        EXPECT_STREQ(kPhrase, fake_.notifies[0].data.szTip);
        EXPECT_EQ(ProgramIcon(), fake_.notifies[1].data.hIcon);
        EXPECT_STREQ(kPhrase, fake_.notifies[1].data.szTip);
        for (const FakeSystem::Notify& notify : fake_.notifies) {
            EXPECT_EQ(main_.get(), notify.data.hWnd);
            EXPECT_EQ(TRAY_ICON_ID, notify.data.uID);
            EXPECT_EQ(static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_INFO), notify.data.uFlags);
        }
        *c.running = 0;
    }
}

// Waits as the wake thread waits, and ends as it ends on a cancel.
DWORD WINAPI WaitForStop(void*) {
    ::WaitForSingleObject(App().operation(Operation::Wake).block.stop.get(), INFINITE);
    App().operation(Operation::Wake).thread.ReleaseIfCurrentThread();
    return 0;
}

// A wake-up as its toggle leaves it: a timer far ahead and a waiting thread.
void ArmWakeUp() {
    HANDLE timer = ::CreateWaitableTimerW(nullptr, TRUE, nullptr);
    LARGE_INTEGER due;
    due.QuadPart = -36000000000LL;  // an hour ahead
    ::SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE);
    App().wakeTimer.Reset(timer);
    App().operation(Operation::Wake).block.Arm();
    App().operation(Operation::Wake).thread.Start<WaitForStop>(nullptr);
    App().operation(Operation::Wake).running = 1;
    App().operation(Operation::Wake).idle = 0;
}

// The wake thread ended by itself, with exit code 0, and let go of its slot.
void ExpectWakeThreadEnded(const OwnedHandle& thread) {
    ASSERT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), ::WaitForSingleObject(thread.get(), 5000));
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeThread(thread.get(), &code);
    EXPECT_EQ(0u, code);
    EXPECT_TRUE(App().operation(Operation::Wake).thread.Empty());
}

TEST_F(TrayTest, AbortDisarmsAPendingWakeUp) {
    TestDialog manual{IDD_MANUAL};
    programWindows.manual = manual.get();
    for (const wchar_t* typed : {L"", L"notepad"}) {
        SCOPED_TRACE(typed[0] != L'\0' ? "with a typed phrase" : "without a typed phrase");
        ShowOperationStarted(manual.get(), IDC_MAN_WAKE);
        for (RunBlock* block :
             {&App().operation(Operation::ScheduledEnd).block, &App().operation(Operation::WaitProgram).block,
              &App().operation(Operation::TimerEnd).block})
            block->run = 0;
        for (Operation idle : {Operation::ScheduledEnd, Operation::WaitProgram, Operation::TimerEnd}) {
            App().operation(idle).idle = 1;
            ShowOperationCaption(idle, App().operation(idle).idleCaption);
        }
        ArmWakeUp();
        App().typedPhrase.Set(typed);
        App().headline.Set(L"指定時間復帰");
        App().detailLine.Set(L"\r\n1月2日3時4分");
        OwnedHandle thread = App().operation(Operation::Wake).thread.Duplicate();
        ClearRecords();

        OnTrayNotify(TRAY_ICON_ID, WM_RBUTTONDOWN);

        EXPECT_TRUE(App().wakeTimer.With([](HANDLE timer) { return timer == nullptr; }));
        EXPECT_EQ(0u, App().operation(Operation::Wake).block.run.load());
        ExpectWakeThreadEnded(thread);
        EXPECT_EQ(1u, App().operation(Operation::Wake).idle.load());
        EXPECT_EQ(0u, App().operation(Operation::Wake).running.load());

        const std::wstring restored = typed[0] != L'\0' ? typed : kPhrase;
        EXPECT_EQ(restored, App().headline.Get());
        EXPECT_EQ(L"", App().detailLine.Get());

        ExpectAllRunControlsEnabled(manual.get());
        EXPECT_EQ(L"処理実行", ItemText(main_.get(), IDC_MAIN_RUN));
        EXPECT_EQ(L"指定時間復帰", ItemText(manual.get(), IDC_MAN_WAKE));
        EXPECT_EQ(L"ﾌﾟﾛｸﾞﾗﾑ待機終了", ItemText(manual.get(), IDC_MAN_WAIT));
        EXPECT_EQ(L"タイマー終了", ItemText(manual.get(), IDC_MAN_TIMER));
        EXPECT_EQ(L"指定時間復帰", std::wstring(KeptManualCaption(Operation::Wake)));
        EXPECT_EQ(L"ﾌﾟﾛｸﾞﾗﾑ待機終了", std::wstring(KeptManualCaption(Operation::WaitProgram)));
        EXPECT_EQ(L"タイマー終了", std::wstring(KeptManualCaption(Operation::TimerEnd)));

        const std::vector<std::wstring> expectedCalls = {L"CancelWakeTimer", NotifyLine(NIM_MODIFY, L"終了処理中止"),
                                                         L"Sleep 1000", NotifyLine(NIM_MODIFY, restored)};
        EXPECT_EQ(expectedCalls, fake_.calls);
        ASSERT_EQ(2u, fake_.notifies.size());
        EXPECT_EQ(QuestionIcon(), fake_.notifies[0].data.hIcon);
        EXPECT_EQ(ProgramIcon(), fake_.notifies[1].data.hIcon);
        // The tip shows the stored phrase, even when the typed one is the headline.
        EXPECT_STREQ(kPhrase, fake_.notifies[0].data.szTip);
        EXPECT_STREQ(kPhrase, fake_.notifies[1].data.szTip);
    }
}

TEST_F(TrayTest, DisarmKeepsTheCancelCaptionOfAnOperationStillArmed) {
    TestDialog manual{IDD_MANUAL};
    programWindows.manual = manual.get();
    // The scheduled end is armed (its button offers to cancel) but its
    // running flag was cleared by another operation's cancelled count-down.
    ShowOperationStarted(manual.get(), IDC_MAIN_RUN);
    // The wait and the timer end never ran: their buttons show the dialog's own captions.
    App().operation(Operation::WaitProgram).idle = 1;
    App().operation(Operation::TimerEnd).idle = 1;
    ::SetDlgItemTextW(manual.get(), IDC_MAN_WAIT, L"待機ﾌﾟﾛｸﾞﾗﾑ終了");
    ::SetDlgItemTextW(manual.get(), IDC_MAN_TIMER, L"タイマー終了");
    ArmWakeUp();

    AbortFromTray();

    EXPECT_EQ(0u, App().operation(Operation::Wake).running.load());
    EXPECT_EQ(0u, App().operation(Operation::ScheduledEnd).idle.load());
    EXPECT_EQ(kCancelCaption, ItemText(main_.get(), IDC_MAIN_RUN));
    EXPECT_EQ(L"指定時間復帰", ItemText(manual.get(), IDC_MAN_WAKE));
    EXPECT_EQ(L"タイマー終了", ItemText(manual.get(), IDC_MAN_TIMER));
    EXPECT_EQ(L"待機ﾌﾟﾛｸﾞﾗﾑ終了", ItemText(manual.get(), IDC_MAN_WAIT));
}

TEST_F(TrayTest, SecondRightClickDisarmsTheWakeUpTheFirstLeftArmed) {
    TestDialog manual{IDD_MANUAL};
    programWindows.manual = manual.get();
    ShowOperationStarted(manual.get(), IDC_MAN_TIMER);
    ArmWakeUp();
    App().operation(Operation::TimerEnd).running = 1;

    OnTrayNotify(TRAY_ICON_ID, WM_RBUTTONDOWN);
    EXPECT_EQ(1u, App().operation(Operation::Wake).running.load());
    EXPECT_FALSE(App().operation(Operation::Wake).thread.Empty());

    App().operation(Operation::TimerEnd).running = 0;  // as the timer thread does when it sees the cancel
    OwnedHandle thread = App().operation(Operation::Wake).thread.Duplicate();
    OnTrayNotify(TRAY_ICON_ID, WM_RBUTTONDOWN);
    EXPECT_EQ(0u, App().operation(Operation::Wake).running.load());
    ExpectWakeThreadEnded(thread);
    EXPECT_EQ(L"指定時間復帰", ItemText(manual.get(), IDC_MAN_WAKE));
    EXPECT_EQ((std::vector<DWORD>{1000, 1000}), fake_.sleeps);
}

TEST_F(TrayTest, AbortWithNothingRunningOnlyShowsTheHeadlineAgain) {
    TestDialog manual{IDD_MANUAL};
    programWindows.manual = manual.get();
    ShowOperationStarted(manual.get(), 0);  // captions and locks that must stay as they are
    App().headline.Set(L"notepad");
    ClearRecords();

    AbortFromTray();

    EXPECT_EQ((std::vector<std::wstring>{NotifyLine(NIM_MODIFY, L"notepad")}), fake_.calls);
    EXPECT_EQ(ProgramIcon(), fake_.notifies[0].data.hIcon);
    EXPECT_EQ(1u, App().operation(Operation::TimerEnd).block.run.load());
    EXPECT_EQ(0u, App().operation(Operation::TimerEnd).idle.load());
    EXPECT_EQ(kCancelCaption, ItemText(main_.get(), IDC_MAIN_RUN));
    EXPECT_EQ(kCancelCaption, std::wstring(KeptManualCaption(Operation::TimerEnd)));
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(main_.get(), IDC_MAIN_RUN)));
}

TEST_F(TrayTest, RestoreHeadlinePrefersTheTypedPhrase) {
    struct Case {
        const wchar_t* typed;
        const wchar_t* expected;
    };
    const Case cases[] = {{L"", kPhrase}, {L"calc", L"calc"}, {L"最後に入力した言葉", L"最後に入力した言葉"}};
    for (const Case& c : cases) {
        App().typedPhrase.Set(c.typed);
        App().headline.Set(L"指定時間終了 ﾛｸﾞｵﾌ");
        App().detailLine.Set(L"\r\n12時0分");
        RestoreHeadline();
        EXPECT_EQ(c.expected, App().headline.Get());
        EXPECT_EQ(L"", App().detailLine.Get());
    }
    EXPECT_TRUE(fake_.calls.empty());  // the icon is not touched
}

TEST_F(TrayTest, RefreshTrayCarriesTheLongestTextsWhole) {
    const std::wstring headline(39, L'見');
    const std::wstring detail = L"\r\n" + std::wstring(47, L'細');
    App().headline.Set(headline.c_str());
    App().detailLine.Set(detail.c_str());

    RefreshTray();

    ASSERT_EQ(1u, fake_.notifies.size());
    EXPECT_EQ(static_cast<DWORD>(NIM_MODIFY), fake_.notifies[0].message);
    EXPECT_EQ(headline + detail, fake_.notifies[0].data.szTip);
    EXPECT_EQ(headline + detail, fake_.notifies[0].data.szInfo);
}

TEST_F(TrayTest, ShellRestartAddsTheIconAgainOnlyWhileItIsShown) {
    const UINT taskbarCreated = ::RegisterWindowMessageW(L"TaskbarCreated");
    ASSERT_NE(0u, taskbarCreated);
    ASSERT_EQ(taskbarCreated, TaskbarCreatedMessage());

    MainDialogProc(main_.get(), taskbarCreated, 0, 0);
    EXPECT_TRUE(fake_.notifies.empty());

    App().detailLine.Set(L"\r\n9時0分");
    HideToTray();
    MainDialogProc(main_.get(), taskbarCreated, 0, 0);
    ASSERT_EQ(2u, fake_.notifies.size());
    EXPECT_EQ(static_cast<DWORD>(NIM_ADD), fake_.notifies[1].message);
    EXPECT_EQ(0, std::memcmp(&fake_.notifies[0].data, &fake_.notifies[1].data, sizeof(NOTIFYICONDATAW)));

    RestoreFromTray();
    ClearRecords();
    MainDialogProc(main_.get(), taskbarCreated, 0, 0);
    EXPECT_TRUE(fake_.notifies.empty());

    // Removed before an immediate session end: not brought back either.
    HideToTray();
    RemoveTrayIcon();
    ClearRecords();
    MainDialogProc(main_.get(), taskbarCreated, 0, 0);
    EXPECT_TRUE(fake_.notifies.empty());
}

// Run elevated, the program must let the shell's restart broadcast and the
// icon's callback through the message filter of Vista and later: for the main
// window where Windows 7's call exists, for the process on Vista, not at all
// before; a refusal changes nothing else.
TEST_F(TrayTest, ShellMessagesAreLetThroughTheIntegrityFilter) {
    const HWND main = main_.get();
    const UINT restart = TaskbarCreatedMessage();
    using Allowed = std::vector<std::pair<HWND, UINT>>;
    struct Case {
        const char* system;
        DWORD windowError, processError;
        Allowed allowed;  // every call made, as the fake records it
    } const cases[] = {
        {"7 and later", ERROR_SUCCESS, ERROR_SUCCESS, {{main, WM_TRAYNOTIFY}, {main, restart}}},
        {"Vista",
         ERROR_PROC_NOT_FOUND,
         ERROR_SUCCESS,
         {{main, WM_TRAYNOTIFY}, {nullptr, WM_TRAYNOTIFY}, {main, restart}, {nullptr, restart}}},
        {"XP",
         ERROR_PROC_NOT_FOUND,
         ERROR_PROC_NOT_FOUND,
         {{main, WM_TRAYNOTIFY}, {nullptr, WM_TRAYNOTIFY}, {main, restart}, {nullptr, restart}}},
        {"7, refused", ERROR_ACCESS_DENIED, ERROR_SUCCESS, {{main, WM_TRAYNOTIFY}, {main, restart}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.system);
        fake_.allowWindowError = c.windowError;
        fake_.allowProcessError = c.processError;
        fake_.allowedMessages.clear();
        InitTrayIcon();
        EXPECT_EQ(c.allowed, fake_.allowedMessages);
        ClearRecords();
        HideToTray();
        MainDialogProc(main, restart, 0, 0);
        ASSERT_EQ(2u, fake_.notifies.size());
        EXPECT_EQ(static_cast<DWORD>(NIM_ADD), fake_.notifies[1].message);
        RestoreFromTray();
    }
}

// The count-down's balloons are shown now or never from Vista on; an older
// shell is sent them without the flag it does not know, still as balloons,
// and Windows 2000's shell (5.0) the record in the size it takes.
TEST_F(TrayTest, CountDownBalloonsUseWhatEachShellKnows) {
    HideToTray();
    for (WORD version : {0x0500, 0x0501, 0x0502, 0x0600, 0x0601, 0x0A00}) {
        SCOPED_TRACE(version);
        fake_.windowsVersion = version;
        fake_.shellVersion = version == 0x0500 ? 0x0500 : 0x0600;
        ClearRecords();
        SetTrayBalloon(L"終了まで：5秒");
        ASSERT_EQ(1u, fake_.notifies.size());
        const NOTIFYICONDATAW& record = fake_.notifies[0].data;
        EXPECT_EQ(version == 0x0500 ? NOTIFYICONDATAW_V2_SIZE : sizeof(NOTIFYICONDATAW), record.cbSize);
        EXPECT_EQ(version >= 0x0600 ? kNifRealtime : 0u, record.uFlags & kNifRealtime);
        EXPECT_EQ(static_cast<UINT>(NIF_INFO), record.uFlags & NIF_INFO);
        EXPECT_STREQ(L"終了まで：5秒", record.szInfo);
    }
}

// The shell may refuse the icon for a while or for good, or report a
// failure for an add it carries out all the same.
TEST_F(TrayTest, ARefusedIconIsRetriedAndTheWindowsComeBackIfItNeverArrives) {
    const int limit = static_cast<int>(kTrayRetryLimitMilliseconds / kTrayRetryMilliseconds);
    struct Case {
        const char* name;
        bool afterRestart;  // refused as it is added again for a new notification area
        int refusedAdds;
        bool modifyAnswers;  // the icon is there although its add failed
        int retries;
    } const cases[] = {{"accepted on a retry", false, 2, false, 2},
                       {"added although the add failed", false, 1, true, 0},
                       {"added again on a retry", true, 2, false, 2},
                       {"refused for good", false, limit + 1, false, limit}};
    int refusals = 0;
    bool modifyAnswers = false;
    fake_.refuseNotify = [&](DWORD message) {
        return message == NIM_ADD ? refusals-- > 0 : message == NIM_MODIFY && !modifyAnswers;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        refusals = c.afterRestart ? 0 : c.refusedAdds;
        modifyAnswers = c.modifyAnswers;
        MainDialogProc(main_.get(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
        if (c.afterRestart) {
            refusals = c.refusedAdds;
            MainDialogProc(main_.get(), TaskbarCreatedMessage(), 0, 0);
        }
        EXPECT_EQ(c.retries > 0, TrayIconPending());
        EXPECT_EQ(c.retries > 0, RetryTimerWasSet());
        for (int i = 0; i < c.retries; ++i) {
            EXPECT_FALSE(::IsWindowVisible(main_.get())) << i;
            RetryTick();
        }
        const bool shown = c.retries < limit;
        EXPECT_EQ(!shown, ::IsWindowVisible(main_.get()) != FALSE);
        EXPECT_EQ(shown, TrayIconShown());
        EXPECT_FALSE(TrayIconPending());
        EXPECT_FALSE(RetryTimerWasSet());
        // One balloon: the accepted add's, or the late add's (the NIM_MODIFY asking shows none).
        const FakeSystem::Notify& last = fake_.notifies.back();
        const DWORD lastSent = !shown ? NIM_DELETE : c.modifyAnswers ? NIM_MODIFY : NIM_ADD;
        EXPECT_EQ(lastSent, last.message);
        if (shown) {
            EXPECT_EQ(c.modifyAnswers ? 0u : static_cast<UINT>(NIF_INFO), last.data.uFlags & NIF_INFO);
        }

        // Shown again, by a click or by giving up: nothing is left to add.
        MainDialogProc(main_.get(), WM_TRAYNOTIFY, TRAY_ICON_ID, WM_LBUTTONDOWN);
        ClearRecords();
        RetryTick();
        MainDialogProc(main_.get(), TaskbarCreatedMessage(), 0, 0);
        EXPECT_TRUE(fake_.notifies.empty());
    }
}

TEST_F(TrayTest, TextsWrittenByOtherThreadsNeverTearTheTip) {
    const std::vector<std::wstring> headlines = {kPhrase, L"指定時間終了 ﾘﾌﾞｰﾄ", std::wstring(39, L'長'), L"W"};
    const std::vector<std::wstring> details = {L"", L"\r\n" + std::wstring(47, L'd'), L"\r\n12時30分",
                                               L"\r\n残り 1時間"};
    std::atomic<bool> stop{false};
    std::thread headlineWriter([&] {
        for (std::size_t i = 0; !stop; ++i) App().headline.Set(headlines[i % headlines.size()].c_str());
    });
    std::thread detailWriter([&] {
        for (std::size_t i = 0; !stop; ++i) App().detailLine.Set(details[i % details.size()].c_str());
    });
    for (int i = 0; i < 1000; ++i) {
        if (i % 20 == 0) {
            HideToTray();
        } else {
            RefreshTray();
        }
    }
    stop = true;
    headlineWriter.join();
    detailWriter.join();

    ASSERT_EQ(1000u, fake_.notifies.size());
    auto contains = [](const std::vector<std::wstring>& texts, const std::wstring& text) {
        return std::find(texts.begin(), texts.end(), text) != texts.end();
    };
    int torn = 0;
    for (const FakeSystem::Notify& notify : fake_.notifies) {
        const std::wstring tip = notify.data.szTip;
        EXPECT_EQ(tip, std::wstring(notify.data.szInfo));
        const std::size_t split = tip.find(L"\r\n");
        const std::wstring headline = tip.substr(0, split);
        const std::wstring detail = split == std::wstring::npos ? L"" : tip.substr(split);
        if (!contains(headlines, headline) || !contains(details, detail)) ++torn;
    }
    EXPECT_EQ(0, torn);
}

// Through the Wine desktop's own notification area, without the fake.
class TrayShell : public ::testing::Test {
protected:
};

TEST_F(TrayShell, IconIsInTheNotificationAreaWhileTheWindowsAreHidden) {
    HWND tray = nullptr;
    test_support::WaitFor([&] { return (tray = ::FindWindowW(L"Shell_TrayWnd", nullptr)) != nullptr; }, 10000);
    ASSERT_NE(nullptr, tray) << "no taskbar on this desktop";

    TestDialog main{IDD_MAIN};
    programWindows.main = main.get();
    App().phraseText.Set(kPhrase);
    App().headline.Set(kPhrase);
    InitTrayIcon();
    ::ShowWindow(main.get(), SW_SHOWNORMAL);

    NOTIFYICONDATAW probe{};
    probe.cbSize = sizeof(probe);
    probe.hWnd = main.get();
    probe.uID = TRAY_ICON_ID;
    EXPECT_FALSE(::Shell_NotifyIconW(NIM_MODIFY, &probe));

    EXPECT_EQ(TRUE, HideToTray());
    EXPECT_TRUE(::Shell_NotifyIconW(NIM_MODIFY, &probe));

    RestoreFromTray();
    EXPECT_TRUE(::IsWindowVisible(main.get()));
    EXPECT_FALSE(::Shell_NotifyIconW(NIM_MODIFY, &probe));
}

}  // namespace
