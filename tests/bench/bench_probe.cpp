// The benchmark's helper inside Wine (scripts/bench.sh), one command per run:
//   start EXE [ARG]            starts EXE, times its first visible top-level
//                              dialog that answers a sent message, closes it
//   hide TITLE / show TITLE    minimises the program's main window into the
//                              notification area / restores it from there
//   scheduled                  the scheduled end with the ten-count, on the
//                              real clock: how late the count-down starts and
//                              how late the voice for 0 plays
//   timer N                    the timer end of N seconds: how far its end
//                              action falls from N + 1 s after the start
//   shown EXE N                the real program's timer end of N seconds in
//                              test mode, pressed in its manual dialog: the
//                              time from the press to the first tick shown,
//                              and the shortest and longest time a second
//                              stays on the fields (the last until the end)
// Results are printed as "name value" lines, in milliseconds.
// The timing runs drive the program's own workers against the real system,
// seen through a recording wrapper that refuses every end action.
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <cwchar>
#include <mutex>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/window_view.h"
#include "dialogs/dialogs.h"
#include "platform/calendar.h"
#include "platform/handle.h"
#include "platform/system.h"
#include "platform/wait.h"
#include "res/resource.h"
#include "schedule/lifecycle.h"
#include "schedule/operations.h"
#include "schedule/scheduled_end.h"
#include "schedule/timer_end.h"
#include "state/app_state.h"
#include "state/messages.h"
#include "ui/program_windows.h"

namespace {

constexpr wchar_t kMainTitle[] = L"ｸｲﾙﾏｰｼｭ v1.13 by tovakeli";
constexpr std::int64_t kUnitsPerSecond = 10000000;  // FILETIME: 100 ns
constexpr std::int64_t kUnixEpochUnits = 116444736000000000LL;

std::int64_t WallUnits() {
    FILETIME time;
    ::GetSystemTimeAsFileTime(&time);
    return (static_cast<std::int64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

double Milliseconds(std::int64_t units) { return static_cast<double>(units) / 10000.0; }

// Forwards every call to the system that was in force, with the calendar
// clock moved by a whole number of seconds (so that a chosen minute is near),
// and notes when the count-down and the end action happen. No end action and
// no message box reaches the real system.
class RecordingSystem : public System {
public:
    explicit RecordingSystem(System& real) : real_(real) {
        HRSRC found = ::FindResourceW(App().instance, MAKEINTRESOURCEW(IDW_VOICE_0), L"WAV_DAT");
        HGLOBAL loaded = found ? ::LoadResource(App().instance, found) : nullptr;
        voiceZero_ = loaded ? ::LockResource(loaded) : nullptr;
    }

    std::int64_t offsetSeconds = 0;
    // Wall-clock moments (shifted like Now), 0 until they happen.
    std::int64_t firstCountdown = 0;
    std::int64_t voiceZero = 0;
    std::int64_t endAction = 0;
    OwnedHandle ended{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};

    std::int64_t ShiftedUnits() { return WallUnits() + offsetSeconds * kUnitsPerSecond; }

    std::int64_t Now() override { return real_.Now() + offsetSeconds; }
    std::int64_t NowMilliseconds() override { return real_.NowMilliseconds() + offsetSeconds * 1000; }
    const TIME_ZONE_INFORMATION* Zone() override { return real_.Zone(); }
    void Sleep(DWORD milliseconds) override { real_.Sleep(milliseconds); }
    std::uint64_t Ticks() override { return real_.Ticks(); }
    DWORD WaitForStop(HANDLE stop, DWORD milliseconds) override { return real_.WaitForStop(stop, milliseconds); }
    int ShowMessage(HWND, const wchar_t*, const wchar_t* caption, UINT) override {
        // A test-mode message is an end action; any other box would wait for
        // a user who is not there.
        if (std::wcscmp(caption, L"テストモード") == 0) NoteEnd();
        return IDOK;
    }
    DWORD OpenFileDialog(OPENFILENAMEW&) override { return ERROR_CANCELLED; }
    DWORD EnablePrivilege(const wchar_t* name) override { return real_.EnablePrivilege(name); }
    // The end action is noted, not carried out; to the program it went through.
    DWORD ExitSession(UINT, DWORD) override {
        NoteEnd();
        return ERROR_SUCCESS;
    }
    DWORD SetPowerState(BOOL, BOOL) override {
        NoteEnd();
        return ERROR_SUCCESS;
    }
    // Nothing known, the resume probe included: arming says nothing, as on a
    // PC where all is well.
    PowerFacts QueryPowerFacts() override { return {}; }
    DWORD ProbeTimerResume(DWORD&) override { return ERROR_CALL_NOT_IMPLEMENTED; }
    DWORD CreateWakeTimer(OwnedHandle& timer) override { return real_.CreateWakeTimer(timer); }
    DWORD SetWakeTimer(HANDLE timer, std::int64_t due, PTIMERAPCROUTINE routine, void* argument,
                       DWORD& resumeCode) override {
        return real_.SetWakeTimer(timer, due, routine, argument, resumeCode);
    }
    DWORD CancelWakeTimer(HANDLE timer) override { return real_.CancelWakeTimer(timer); }
    DWORD WaitAlertable(HANDLE stop) override { return real_.WaitAlertable(stop); }
    DWORD RunProgram(wchar_t* commandLine, HANDLE stop) override { return real_.RunProgram(commandLine, stop); }
    DWORD SetExecutionState(EXECUTION_STATE flags) override { return real_.SetExecutionState(flags); }
    DWORD Play(const wchar_t* sound, DWORD flags) override {
        const std::int64_t now = ShiftedUnits();
        {
            std::lock_guard<std::mutex> hold(lock_);
            if (firstCountdown == 0) firstCountdown = now;
            if (voiceZero == 0 && voiceZero_ != nullptr && static_cast<const void*>(sound) == voiceZero_) {
                voiceZero = now;
            }
        }
        return real_.Play(sound, flags);
    }
    DWORD Beep(DWORD frequency, DWORD duration) override {
        NoteCountdown();
        return real_.Beep(frequency, duration);
    }
    DWORD NotifyIcon(DWORD message, const NOTIFYICONDATAW& data) override {
        if (std::wcsncmp(data.szInfo, L"終了まで：", 5) == 0) NoteCountdown();
        return real_.NotifyIcon(message, data);
    }
    WORD WindowsVersion() override { return real_.WindowsVersion(); }
    WORD ShellVersion() override { return real_.ShellVersion(); }
    DWORD AllowWindowMessage(HWND window, UINT message) override { return real_.AllowWindowMessage(window, message); }
    DWORD AllowProcessMessage(UINT message) override { return real_.AllowProcessMessage(message); }

    template <typename Read>
    std::int64_t Get(Read read) {
        std::lock_guard<std::mutex> hold(lock_);
        return read();
    }

private:
    void NoteCountdown() {
        const std::int64_t now = ShiftedUnits();
        std::lock_guard<std::mutex> hold(lock_);
        if (firstCountdown == 0) firstCountdown = now;
    }
    void NoteEnd() {
        const std::int64_t now = ShiftedUnits();
        {
            std::lock_guard<std::mutex> hold(lock_);
            if (endAction == 0) endAction = now;
        }
        ::SetEvent(ended.get());
    }

    System& real_;
    const void* voiceZero_ = nullptr;
    std::mutex lock_;
};

// The main window as the workers see it: it answers the return to idle.
INT_PTR CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return message == WM_RETURNTOIDLE ? AnswerReturnToIdleMessage(window, wParam, lParam) : FALSE;
}

INT_PTR CALLBACK InertProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// Settings as a fresh program has them, with the end action the recording
// system refuses and the ten-count.
void PrepareState(HWND main) {
    programWindows.main = main;
    App().actionName.Set(L"ｼｬｯﾄﾀﾞｳﾝ");
    App().phraseText.Set(L"phrase");
    App().WAYTOEND = EndAction::Shutdown;
    App().NEXT_REG = ResumeMode::NoWake;
    App().SOUND = SoundMode::TenCount;
    App().COUNTDOWNTIME = 10;
    App().EXPLOSION_SOUND = 0;
    App().TESTCHECK = 0;
    App().FORCECHECK = 0;
}

bool AwaitEnd(RecordingSystem& recorder, DWORD milliseconds) {
    return WaitServingMessages(recorder.ended.get(), milliseconds);
}

int RunScheduled(RecordingSystem& recorder, HWND main) {
    // The count-down of the ten-count starts 10 s before the target; the
    // clock is moved so that the next whole minute is 13 s away, which leaves
    // three polls of the wait before it.
    constexpr int kLeadSeconds = 13;
    const std::int64_t real = (WallUnits() - kUnixEpochUnits) / kUnitsPerSecond;
    std::tm local = LocalTimeOf(real);
    recorder.offsetSeconds = ((60 - kLeadSeconds) - local.tm_sec + 60) % 60;
    local = LocalTimeOf(real + recorder.offsetSeconds + kLeadSeconds);
    const int combos[] = {IDC_MAIN_END_MONTH, IDC_MAIN_END_DAY, IDC_MAIN_END_HOUR, IDC_MAIN_END_MINUTE};
    const int maxima[] = {12, 31, 23, 59};
    for (int i = 0; i < 4; ++i) FillNumberCombo(maxima[i], main, combos[i]);
    ::SendDlgItemMessageW(main, IDC_MAIN_END_HOUR, CB_SETCURSEL, local.tm_hour, 0);
    ::SendDlgItemMessageW(main, IDC_MAIN_END_MINUTE, CB_SETCURSEL, local.tm_min, 0);

    App().operation(Operation::ScheduledEnd).block.Arm();
    App().operation(Operation::ScheduledEnd).idle = 0;
    if (!StartScheduledEnd(App().operation(Operation::ScheduledEnd).block, ReadChosenMoments(main).end,
                           Attendance::User, App()))
        return 1;
    std::tm target = App().operation(Operation::ScheduledEnd).block.target;
    const std::int64_t targetUnits = MakeLocalTime(target) * kUnitsPerSecond + kUnixEpochUnits;
    if (!AwaitEnd(recorder, (kLeadSeconds + 15) * 1000)) {
        std::fputs("scheduled: no end action\n", stderr);
        return 1;
    }
    const std::int64_t countdown = recorder.Get([&] { return recorder.firstCountdown; });
    const std::int64_t voice = recorder.Get([&] { return recorder.voiceZero; });
    std::printf("countdown_late_ms %.1f\n", Milliseconds(countdown - (targetUnits - 10 * kUnitsPerSecond)));
    std::printf("voice0_late_ms %.1f\n", voice != 0 ? Milliseconds(voice - targetUnits) : -1e9);
    return 0;
}

int RunTimer(RecordingSystem& recorder, int seconds) {
    const HWND manual = ::CreateDialogParamW(App().instance, MAKEINTRESOURCEW(IDD_MANUAL), nullptr, InertProc, 0);
    if (manual == nullptr) return 1;
    programWindows.manual = manual;
    const std::int64_t start = recorder.ShiftedUnits();
    ToggleTimerEnd(seconds, ChosenMoments{}, App());
    const bool ended = AwaitEnd(recorder, static_cast<DWORD>(seconds + 30) * 1000);
    programWindows.manual = nullptr;
    ::DestroyWindow(manual);
    if (!ended) {
        std::fputs("timer: no end action\n", stderr);
        return 1;
    }
    const std::int64_t end = recorder.Get([&] { return recorder.endAction; });
    std::printf("timer%d_ms %.1f\n", seconds, Milliseconds(end - start) - (seconds + 1) * 1000.0);
    return 0;
}

// The first visible top-level dialog of a process.
struct Search {
    DWORD process;
    HWND found;
};

BOOL CALLBACK FindVisibleDialog(HWND window, LPARAM parameter) {
    auto& search = *reinterpret_cast<Search*>(parameter);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    wchar_t className[16] = L"";
    ::GetClassNameW(window, className, static_cast<int>(std::size(className)));
    if (owner != search.process || !::IsWindowVisible(window) || std::wcscmp(className, L"#32770") != 0) return TRUE;
    search.found = window;
    return FALSE;
}

int RunStart(const wchar_t* exe, const wchar_t* argument) {
    wchar_t commandLine[1024];
    std::swprintf(commandLine, std::size(commandLine), L"\"%ls\" %ls", exe, argument);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION created{};
    LARGE_INTEGER frequency, begin, end;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&begin);
    if (!::CreateProcessW(exe, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &created)) {
        std::fprintf(stderr, "start: cannot start %ls\n", exe);
        return 1;
    }
    const OwnedHandle process(created.hProcess);
    const OwnedHandle thread(created.hThread);
    Search search{created.dwProcessId, nullptr};
    DWORD_PTR answer = 0;
    for (int i = 0; i < 30000; ++i) {
        ::EnumWindows(FindVisibleDialog, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr &&
            ::SendMessageTimeoutW(search.found, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer) != 0) {
            break;
        }
        search.found = nullptr;
        ::Sleep(1);
    }
    ::QueryPerformanceCounter(&end);
    int result = 0;
    if (search.found == nullptr) {
        std::fputs("start: no window appeared\n", stderr);
        result = 1;
    } else {
        std::printf("startup_ms %.1f\n", (end.QuadPart - begin.QuadPart) * 1000.0 / frequency.QuadPart);
        ::PostMessageW(search.found, WM_CLOSE, 0, 0);
    }
    // A program that does not end on close is ended; the next run must not
    // meet it (the program allows one instance).
    if (::WaitForSingleObject(process.get(), 5000) != WAIT_OBJECT_0) {
        ::TerminateProcess(process.get(), 1);
        ::WaitForSingleObject(process.get(), 5000);
    }
    return result;
}

// A text of another process's window, through a sent message with a bound.
std::wstring WindowTextOf(HWND window) {
    wchar_t text[64] = L"";
    DWORD_PTR copied = 0;
    ::SendMessageTimeoutW(window, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000,
                          &copied);
    return text;
}

HWND WaitForDialog(DWORD process, const wchar_t* title, DWORD timeoutMs) {
    for (DWORD waited = 0; waited < timeoutMs; waited += 10, ::Sleep(10)) {
        HWND window = ::FindWindowW(L"#32770", title);
        DWORD owner = 0;
        if (window != nullptr) ::GetWindowThreadProcessId(window, &owner);
        if (owner == process && ::IsWindowVisible(window)) return window;
    }
    return nullptr;
}

double SinceMs(const LARGE_INTEGER& from, const LARGE_INTEGER& to, const LARGE_INTEGER& frequency) {
    return static_cast<double>(to.QuadPart - from.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// The real program, in test mode and silent, counts N seconds from its manual
// dialog while this reads the three fields every few milliseconds. The hours
// field starts as "00", which the first tick writes as "0", so the first tick
// is seen even though it shows the seconds typed.
int RunShown(const wchar_t* exe, int seconds) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\tovakeli\\quillmarsh", 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                          &key, nullptr) != ERROR_SUCCESS) {
        return 1;
    }
    const DWORD on = 1, silent = 0;
    ::RegSetValueExW(key, L"TESTCHECK", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&on), sizeof on);
    ::RegSetValueExW(key, L"SOUND", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&silent), sizeof silent);
    ::RegCloseKey(key);

    wchar_t commandLine[1024];
    std::swprintf(commandLine, std::size(commandLine), L"\"%ls\"", exe);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION created{};
    if (!::CreateProcessW(exe, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &created)) return 1;
    const OwnedHandle process(created.hProcess);
    const OwnedHandle thread(created.hThread);
    int result = 1;
    HWND main = WaitForDialog(created.dwProcessId, kMainTitle, 30000);
    HWND manual = nullptr;
    if (main != nullptr) {
        ::PostMessageW(::GetDlgItem(main, IDC_MAIN_MANUAL), BM_CLICK, 0, 0);
        manual = WaitForDialog(created.dwProcessId, L"ｸｲﾙﾏｰｼｭ：手動処理", 10000);
    }
    if (manual != nullptr) {
        const HWND fields[] = {::GetDlgItem(manual, IDC_MAN_HOURS), ::GetDlgItem(manual, IDC_MAN_MINUTES),
                               ::GetDlgItem(manual, IDC_MAN_SECONDS)};
        const std::wstring typed[] = {L"00", L"0", std::to_wstring(seconds)};
        DWORD_PTR done = 0;
        for (int i = 0; i < 3; ++i) {
            ::SendMessageTimeoutW(fields[i], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed[i].c_str()),
                                  SMTO_ABORTIFHUNG, 2000, &done);
        }
        auto shownNow = [&] {
            return WindowTextOf(fields[0]) + L"/" + WindowTextOf(fields[1]) + L"/" + WindowTextOf(fields[2]);
        };
        LARGE_INTEGER frequency, press, now;
        ::QueryPerformanceFrequency(&frequency);
        std::wstring shown = shownNow();
        ::QueryPerformanceCounter(&press);
        ::PostMessageW(::GetDlgItem(manual, IDC_MAN_TIMER), BM_CLICK, 0, 0);
        std::vector<LARGE_INTEGER> changes;  // when each tick's fields appeared, then the end
        const DWORD limitMs = static_cast<DWORD>(seconds + 20) * 1000;
        for (DWORD waited = 0; waited < limitMs; waited += 5, ::Sleep(5)) {
            // Each reading is timed as it returns: a busy program answers late.
            HWND box = ::FindWindowW(L"#32770", L"テストモード");
            ::QueryPerformanceCounter(&now);
            if (box != nullptr && ::IsWindowVisible(box)) {
                changes.push_back(now);
                ::PostMessageW(box, WM_COMMAND, IDOK, 0);
                break;
            }
            const std::wstring current = shownNow();
            ::QueryPerformanceCounter(&now);
            if (current != shown) {
                shown = current;
                changes.push_back(now);
            }
        }
        if (changes.size() == static_cast<std::size_t>(seconds) + 2) {
            double shortest = 1e9, longest = 0;
            for (std::size_t k = 1; k < changes.size(); ++k) {
                const double ms = SinceMs(changes[k - 1], changes[k], frequency);
                shortest = ms < shortest ? ms : shortest;
                longest = ms > longest ? ms : longest;
            }
            std::printf("shown_first_ms %.1f\n", SinceMs(press, changes[0], frequency));
            std::printf("shown_shortest_ms %.1f\n", shortest);
            std::printf("shown_longest_ms %.1f\n", longest);
            result = 0;
        } else {
            std::fprintf(stderr, "shown: %zu changes for %d seconds\n", changes.size(), seconds);
        }
    }
    if (main != nullptr) ::PostMessageW(main, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(process.get(), 5000) != WAIT_OBJECT_0) {
        ::TerminateProcess(process.get(), 1);
        ::WaitForSingleObject(process.get(), 5000);
    }
    return result;
}

int PostToMain(bool hide) {
    HWND main = ::FindWindowW(L"#32770", kMainTitle);
    if (main == nullptr) return 1;
    const BOOL posted = hide ? ::PostMessageW(main, WM_SYSCOMMAND, SC_MINIMIZE, 0)
                             : ::PostMessageW(main, WM_TRAYNOTIFY, TRAY_ICON_ID, WM_LBUTTONDOWN);
    return posted ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    static AppState state;
    InstallApp(state);
    App().instance = ::GetModuleHandleW(nullptr);
    InstallView(&WindowView());
    const wchar_t* command = argc > 1 ? argv[1] : L"";
    if (std::wcscmp(command, L"start") == 0 && argc > 2) {
        return RunStart(argv[2], argc > 3 ? argv[3] : L"");
    }
    if (std::wcscmp(command, L"shown") == 0 && argc > 3) {
        const int result = RunShown(argv[2], static_cast<int>(std::wcstol(argv[3], nullptr, 10)));
        std::fflush(stdout);
        return result;
    }
    if (std::wcscmp(command, L"hide") == 0) return PostToMain(true);
    if (std::wcscmp(command, L"show") == 0) return PostToMain(false);
    const bool scheduled = std::wcscmp(command, L"scheduled") == 0;
    const bool timer = std::wcscmp(command, L"timer") == 0 && argc > 2;
    if (!scheduled && !timer) {
        std::fputs("usage: bench_probe start EXE [ARG] | hide | show | scheduled | timer N | shown EXE N\n", stderr);
        return 2;
    }

    // The main template holds common controls, as the program registers them.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_UPDOWN_CLASS};
    ::InitCommonControlsEx(&controls);
    LoadSoundLibrary();  // as the program does at its start
    RecordingSystem recorder(Sys());
    InstallSystem(&recorder);
    const HWND main = ::CreateDialogParamW(App().instance, MAKEINTRESOURCEW(IDD_MAIN), nullptr, MainProc, 0);
    if (main == nullptr) return 1;
    PrepareState(main);
    const int result = scheduled ? RunScheduled(recorder, main) : RunTimer(recorder, std::wcstol(argv[2], nullptr, 10));
    std::fflush(stdout);
    // Workers may still be leaving; ending the process ends them first, as
    // the program itself does.
    ::ExitProcess(static_cast<UINT>(result));
}
