// The main window: initialisation, message dispatch and the write-through of
// its radio buttons, check boxes and number combos.
#include "app/main_window.h"

#include <cwchar>
#include <utility>

#include "app/clock.h"
#include "app/window_view.h"
#include "dialogs/dialogs.h"
#include "dialogs/phrase_dialog.h"
#include "platform/dpi.h"
#include "platform/handle.h"
#include "platform/text.h"
#include "res/resource.h"
#include "schedule/operations.h"
#include "schedule/scheduled_end.h"
#include "schedule/sounds.h"
#include "schedule/wake.h"
#include "settings/load.h"
#include "settings/store.h"
#include "state/app_state.h"
#include "state/messages.h"
#include "ui/accessible_headline.h"
#include "ui/button_hover.h"
#include "ui/effects.h"
#include "ui/controls.h"
#include "ui/ime.h"
#include "ui/locking.h"
#include "ui/summary.h"
#include "ui/tray.h"
#include "ui/program_windows.h"

namespace {

struct NumberCombo {
    int id;
    int maximum;
    const wchar_t* setting;
    std::uint32_t StoredMoments::*stored;
};

// Filled and restored in this order.
constexpr NumberCombo kNumberCombos[] = {
    {IDC_MAIN_END_MONTH, 12, value::MONTH, &StoredMoments::MONTH},
    {IDC_MAIN_END_DAY, 31, value::DAY, &StoredMoments::DAY},
    {IDC_MAIN_END_HOUR, 23, value::HOUR, &StoredMoments::HOUR},
    {IDC_MAIN_END_MINUTE, 59, value::MINUTE, &StoredMoments::MINUTE},
    {IDC_MAIN_WAKE_MONTH, 12, value::MONTH2, &StoredMoments::MONTH2},
    {IDC_MAIN_WAKE_DAY, 31, value::DAY2, &StoredMoments::DAY2},
    {IDC_MAIN_WAKE_HOUR, 23, value::HOUR2, &StoredMoments::HOUR2},
    {IDC_MAIN_WAKE_MINUTE, 59, value::MINUTE2, &StoredMoments::MINUTE2},
};

// The window's icons, made for its DPI. GUI thread only.
OwnedIcon smallIcon;
OwnedIcon bigIcon;

// Whether the marquee and clock threads of this main window have started:
// they start when the window is first seen, off the path to its first show.
// GUI thread only.
bool windowWorkersStarted = false;

const NumberCombo* FindNumberCombo(int id) {
    for (const NumberCombo& combo : kNumberCombos) {
        if (combo.id == id) return &combo;
    }
    return nullptr;
}

std::uint32_t IsChecked(HWND window, int id) { return ::IsDlgButtonChecked(window, id) == BST_CHECKED ? 1 : 0; }

void SetActionName(EndAction action) {
    const wchar_t* name = EndActionName(action);
    App().actionName.Set(name ? name : L"");
}

// Gives the window its icons for `dpi`; the icons it had are destroyed once
// it no longer shows them.
void SetWindowIcons(HWND window, UINT dpi) {
    OwnedIcon small = LoadProgramIcon(SM_CXSMICON, SM_CYSMICON, dpi);
    OwnedIcon big = LoadProgramIcon(SM_CXICON, SM_CYICON, dpi);
    ::SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
    ::SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
    smallIcon = std::move(small);
    bigIcon = std::move(big);
}

void InitMainWindow(HWND window) {
    const StoredMoments moments = LoadSettings(App());
    if (App().SOUND.load() != SoundMode::Silent) PlayStartSound();

    programWindows.main = window;
    App().typedPhrase.Clear();
    App().headline.SetFrom(App().phraseText);

    SetWindowIcons(window, WindowDpi(window));
    InitTrayIcon();
    MakeCountdownWindow(App().instance);  // without it, the balloons and sounds warn alone

    for (const NumberCombo& combo : kNumberCombos) FillNumberCombo(combo.maximum, window, combo.id);
    ForgetManualCaptions();
    for (const NumberCombo& combo : kNumberCombos) SelectComboValue(window, combo.id, moments.*combo.stored);

    const EndAction action = App().WAYTOEND.load();
    if (const EndActionButtons* buttons = ButtonsOf(action)) {
        ::SendDlgItemMessageW(window, buttons->mainButton, BM_SETCHECK, BST_CHECKED, 0);
    }
    SetActionName(action);

    App().scheduleStartedEvent.reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));

    App().resumeCountdownRunning = 0;
    App().restartAfterResume = 0;
    for (OperationRecord& record : App().operations) record.running = 0;

    windowWorkersStarted = false;

    App().wakeFired = 0;
    App().wakeProgramFinished = 0;

    if (App().FORCECHECK.load() != 0) ::CheckDlgButton(window, IDC_MAIN_FORCE, BST_CHECKED);
    if (App().TESTCHECK.load() != 0) ::CheckDlgButton(window, IDC_MAIN_TEST, BST_CHECKED);
    if (App().STARTUPCHECK.load() != 0) ::SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_MAIN_RUN, 0), 0);

    UpdateSummary();
}

void OnPaint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(window, &paint);
    PaintHeadline(window, dc);
    ::EndPaint(window, &paint);
}

// Every path that shows the main window (its first show, the restore from
// the notification area, a restore from the task bar) ends in
// WM_WINDOWPOSCHANGED. The clock line and the marquee work only while the
// window is seen.
void OnPlacementChanged(HWND window) {
    const bool seen = ::IsWindowVisible(window) && !::IsIconic(window);
    SetClockLineSeen(window, seen);
    if (seen && !windowWorkersStarted) {
        windowWorkersStarted = true;
        StartMarquee();
        StartClockThread();
    }
    if (seen) ResumeMarquee();
}

// "BYE", the close box and Esc: close the secondary dialogs, then the program.
void EndProgram(HWND window) {
    if (HWND settings = programWindows.settings.load()) ::EndDialog(settings, IDCANCEL);
    if (HWND manual = programWindows.manual.load()) ::EndDialog(manual, IDCANCEL);
    ::EndDialog(window, IDCANCEL);
}

void OnCheckBox(HWND window, int id) {
    SaveNumber(SettingNamed(id == IDC_MAIN_FORCE ? value::FORCECHECK : value::TESTCHECK), IsChecked(window, id));
    UpdateSummary();
}

void OnActionButton(const EndActionFacts& facts) {
    App().WAYTOEND = facts.action;
    SetActionName(facts.action);
    WriteSettingDword(value::WAYTOEND, static_cast<std::uint32_t>(facts.action));
    if (facts.sleeps) {
        EnableResumeControls();
    } else {
        DisableResumeControls();
    }
    UpdateSummary();
}

void OnCommand(HWND window, int id, LPARAM control) {
    switch (id) {
        case IDC_MAIN_BYE:
            EndProgram(window);
            break;
        case IDC_MAIN_FORCE:
        case IDC_MAIN_TEST:
            OnCheckBox(window, id);
            break;
        case IDC_MAIN_SETTINGS:
            RunSettingsDialog(window);
            break;
        case IDC_MAIN_MANUAL:
            RunManualDialog(window);
            break;
        case IDC_MAIN_RUN:
            // A press of the button comes from the button itself; the
            // program's own presses (start-up registration, the re-arming
            // after a wake-up) come without it.
            ToggleScheduledEnd(control != 0 ? Attendance::User : Attendance::Unattended, ReadChosenMoments(window),
                               App());
            break;
        default:
            if (const EndActionFacts* facts = EndActionOfMainButton(id)) {
                OnActionButton(*facts);
            } else if (const NumberCombo* combo = FindNumberCombo(id)) {
                SaveComboSetting(id, window, combo->setting);
            }
            break;
    }
}

// The main window owns the timer that retries a refused notification icon:
// it runs exactly while the icon is pending. Setting it again while it runs
// only restarts its interval.
void FollowTrayRetry(HWND window) {
    if (TrayIconPending()) {
        ::SetTimer(window, kTrayRetryTimer, kTrayRetryMilliseconds, nullptr);
    } else {
        ::KillTimer(window, kTrayRetryTimer);
    }
}

// The suspend and resume notices; the sender sees TRUE for the handled ones.
INT_PTR AnswerPowerBroadcast(HWND window, WPARAM event) {
    const BOOL handled = OnPowerBroadcast(event, ReadChosenMoments(window).end, App());
    if (handled) ::SetWindowLongPtrW(window, DWLP_MSGRESULT, TRUE);
    return handled;
}

}  // namespace

bool ComboSearchText(std::uint32_t value, wchar_t (&text)[4]) {
    wchar_t digits[16];
    FormatText(digits, L"%d", static_cast<int>(static_cast<std::int32_t>(value)));
    if (std::wcslen(digits) >= std::size(text)) {
        text[0] = L'\0';
        return false;
    }
    CopyText(text, digits);
    return true;
}

void FillNumberCombo(int maximum, HWND window, int id) {
    HWND combo = ::GetDlgItem(window, id);
    // Room for every item at once, and no redrawing per item.
    const WPARAM count = static_cast<WPARAM>(maximum) + 1;
    ::SendMessageW(combo, CB_INITSTORAGE, count, static_cast<LPARAM>(count * 4 * sizeof(wchar_t)));
    ::SendMessageW(combo, WM_SETREDRAW, FALSE, 0);
    for (int i = 0; i <= maximum; ++i) {
        wchar_t item[4];
        FormatText(item, L"%d", i);
        ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    }
    ::SendMessageW(combo, WM_SETREDRAW, TRUE, 0);
}

void SelectComboValue(HWND window, int id, std::uint32_t stored) {
    wchar_t text[4];
    // A value too long for any item matches nothing: the combo stays empty.
    if (!ComboSearchText(stored, text)) return;
    ::SendDlgItemMessageW(window, id, CB_SELECTSTRING, 0, reinterpret_cast<LPARAM>(text));
}

void SaveComboSetting(int id, HWND window, const wchar_t* name) {
    SetImeOpen(::GetDlgItem(window, id), false);
    const UINT shown = ::GetDlgItemInt(window, id, nullptr, FALSE);
    WriteSettingDword(name, shown);
    UpdateSummary();
}

INT_PTR AnswerReturnToIdleMessage(HWND window, WPARAM operation, LPARAM generation) {
    const bool stood =
        AnswerReturnToIdle(static_cast<Operation>(operation), static_cast<std::uint32_t>(generation), App());
    ::SetWindowLongPtrW(window, DWLP_MSGRESULT, stood ? TRUE : FALSE);
    return TRUE;
}

INT_PTR CALLBACK MainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    KeepHiddenBehindIcon(message, lParam);
    switch (message) {
        case WM_INITDIALOG:
            CalmButtonHover(window);
            InitMainWindow(window);
            DescribeWindowByHeadline(window);  // without it, a screen reader misses the headline alone
            return FALSE;                      // the dialog manager sets no focus
        case WM_DESTROY:
            ForgetWindowDescription(window);
            return FALSE;
        case WM_PAINT:
            OnPaint(window);
            return FALSE;
        case WM_WINDOWPOSCHANGED:
            OnPlacementChanged(window);
            return FALSE;
        case kWmDpiChanged:
            // The dialog manager takes the suggested size and lays the
            // controls out afresh; the headline follows at its next paint
            // and the marquee at its next step.
            SetWindowIcons(window, HIWORD(wParam));
            ::InvalidateRect(window, nullptr, TRUE);
            return FALSE;
        case WM_SYSCOLORCHANGE:
        case WM_SETTINGCHANGE:
            // New colours (high contrast on or off) or metrics: the headline
            // is painted again in them.
            ::InvalidateRect(window, nullptr, TRUE);
            return FALSE;
        case WM_COMMAND:
            OnCommand(window, LOWORD(wParam), lParam);
            return FALSE;
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == SC_MINIMIZE) {
                const BOOL handled = HideToTray();
                FollowTrayRetry(window);
                return handled;
            }
            return FALSE;
        case WM_TIMER:
            if (wParam == kTrayRetryTimer) {
                RetryTrayIcon();
                FollowTrayRetry(window);
            }
            return FALSE;
        case WM_TRAYNOTIFY:
            OnTrayNotify(wParam, lParam);
            return FALSE;
        case WM_RETURNTOIDLE:
            return AnswerReturnToIdleMessage(window, wParam, lParam);
        case WM_ARMWAKE:
            ArmWakeIfIdle(ReadChosenMoments(window).wake, App());
            return FALSE;
        case WM_STARTSCHEDULEDEND:
            if (App().operation(Operation::ScheduledEnd).idle.load() != 0) {
                ToggleScheduledEnd(Attendance::Unattended, ReadChosenMoments(window), App());
            }
            return FALSE;
        case WM_RESTARTSCHEDULEDEND:
            RestartScheduledEnd(static_cast<std::uint32_t>(wParam), ReadChosenMoments(window).end, App());
            return FALSE;
        case WM_ENDACTIONREFUSED:
            OnEndActionRefused(static_cast<EndAction>(wParam), static_cast<DWORD>(lParam));
            return FALSE;
        case WM_POWERBROADCAST:
            return AnswerPowerBroadcast(window, wParam);
        case WM_LBUTTONDOWN:
            ToggleMarquee();
            return FALSE;
        case WM_MOUSEMOVE:
            StopScatter();
            return FALSE;
        case WM_RBUTTONDOWN:
            RunPhraseDialog(window);
            return FALSE;
        case WM_SCATTERPHRASE:
            StartScatter();
            return FALSE;
        case WM_TESTMESSAGECLOSED:
            UnlockRunControlsIfIdle();
            return FALSE;
        default:
            if (message == TaskbarCreatedMessage()) {
                OnTaskbarCreated();
                FollowTrayRetry(window);
            }
            return FALSE;
    }
}
