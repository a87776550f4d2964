// The real system behind the seam: thin forwarding to Win32.
#include "platform/system.h"

#include <shlwapi.h>  // DllGetVersion's types only

#include <atomic>
#include <cstddef>

#include "platform/handle.h"
#include "platform/system_library.h"

namespace {

// SYSTEM_POWER_CAPABILITIES as Windows 8 and later fill it. Under Windows
// XP's headers the bytes at 20 and 22 are spare, so they are named here; an
// older system leaves them as the caller set them, zero.
struct PowerCapabilities {
    BOOLEAN PowerButtonPresent, SleepButtonPresent, LidPresent;
    BOOLEAN SystemS1, SystemS2, SystemS3, SystemS4, SystemS5;
    BOOLEAN HiberFilePresent, FullWake, VideoDimPresent, ApmPresent, UpsPresent, ThermalControl;
    BOOLEAN ProcessorThrottle;
    BYTE ProcessorMinThrottle, ProcessorMaxThrottle;
    BOOLEAN FastSystemS4, Hiberboot, WakeAlarmPresent;
    BOOLEAN AoAc;  // S0 low-power idle (Modern Standby)
    BOOLEAN DiskSpinDown;
    BYTE HiberFileType;  // 1 reduced, 2 full
    BOOLEAN AoAcConnectivitySupported;
    BYTE spare3[6];
    BOOLEAN SystemBatteriesPresent, BatteriesAreShortTerm;
    BATTERY_REPORTING_SCALE BatteryScale[3];
    SYSTEM_POWER_STATE AcOnLineWake, SoftLidWake, RtcWake, MinDeviceWakeState, DefaultLowLatencyWake;
};
static_assert(sizeof(PowerCapabilities) == 76 && sizeof(PowerCapabilities) == sizeof(SYSTEM_POWER_CAPABILITIES));
static_assert(offsetof(PowerCapabilities, AoAc) == 20 && offsetof(PowerCapabilities, HiberFileType) == 22);
static_assert(offsetof(PowerCapabilities, RtcWake) == offsetof(SYSTEM_POWER_CAPABILITIES, RtcWake));
constexpr BYTE kHiberFileReduced = 1;

// "Allow wake timers" (GUID_ALLOW_RTC_WAKE) in the sleep settings
// (GUID_SLEEP_SUBGROUP); both exist from Windows Vista on.
constexpr GUID kSleepSubgroup = {0x238c9fa8, 0x0aad, 0x41ed, {0x83, 0xf4, 0x97, 0xbe, 0x24, 0x2c, 0x8f, 0x20}};
constexpr GUID kAllowRtcWake = {0xbd3b718a, 0x0680, 0x4d9d, {0x8a, 0xb2, 0xe1, 0xd2, 0xb4, 0xac, 0x80, 0x6d}};

// Functions of system libraries that are loaded on their first use rather
// than at the start. The file dialog (comdlg32) and the notification area
// (shell32) are needed only once the user opens the one or hides the window;
// imported, they and what they bring (under Wine the printing libraries,
// about 3 MB of private memory and tens of milliseconds) would load at every
// start. The sound library (winmm) is no known DLL, so it is never imported,
// and is loaded at the start instead (LoadSoundLibrary). The message filters
// are user32's, of Windows Vista and 7 only.
using PlaySoundFunction = BOOL(WINAPI*)(const wchar_t*, HMODULE, DWORD);
// The last argument is a CHANGEFILTERSTRUCT*, which XP's headers lack.
using ChangeWindowMessageFilterExFunction = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
using ChangeWindowMessageFilterFunction = BOOL(WINAPI*)(UINT, DWORD);
using GetOpenFileNameFunction = BOOL(WINAPI*)(OPENFILENAMEW*);
using CommDlgExtendedErrorFunction = DWORD(WINAPI*)();
using NotifyIconFunction = BOOL(WINAPI*)(DWORD, NOTIFYICONDATAW*);
using GetPwrCapabilitiesFunction = BOOLEAN(WINAPI*)(PowerCapabilities*);
using PowerGetActiveSchemeFunction = DWORD(WINAPI*)(HKEY, GUID**);
using PowerReadValueIndexFunction = DWORD(WINAPI*)(HKEY, const GUID*, const GUID*, const GUID*, LPDWORD);

LateFunction<PlaySoundFunction> latePlaySound{L"winmm.dll", "PlaySoundW"};
LateFunction<ChangeWindowMessageFilterExFunction> lateChangeWindowMessageFilterEx{L"user32.dll",
                                                                                  "ChangeWindowMessageFilterEx"};
LateFunction<ChangeWindowMessageFilterFunction> lateChangeWindowMessageFilter{L"user32.dll",
                                                                              "ChangeWindowMessageFilter"};
// MSGFLT_ALLOW (ChangeWindowMessageFilterEx) and MSGFLT_ADD
// (ChangeWindowMessageFilter), which XP's headers lack; both are 1.
constexpr DWORD kMessageFilterAllow = 1;
constexpr DWORD kMessageFilterAdd = 1;

LateFunction<GetOpenFileNameFunction> lateGetOpenFileName{L"comdlg32.dll", "GetOpenFileNameW"};
LateFunction<CommDlgExtendedErrorFunction> lateCommDlgExtendedError{L"comdlg32.dll", "CommDlgExtendedError"};
LateFunction<NotifyIconFunction> lateShellNotifyIcon{L"shell32.dll", "Shell_NotifyIconW"};
LateFunction<DLLGETVERSIONPROC> lateShellVersion{L"shell32.dll", "DllGetVersion"};
LateFunction<GetPwrCapabilitiesFunction> lateGetPwrCapabilities{L"powrprof.dll", "GetPwrCapabilities"};
LateFunction<PowerGetActiveSchemeFunction> latePowerGetActiveScheme{L"powrprof.dll", "PowerGetActiveScheme"};
LateFunction<PowerReadValueIndexFunction> latePowerReadACValueIndex{L"powrprof.dll", "PowerReadACValueIndex"};
LateFunction<PowerReadValueIndexFunction> latePowerReadDCValueIndex{L"powrprof.dll", "PowerReadDCValueIndex"};

// The error of a call that has just failed; never ERROR_SUCCESS, so that a
// failure can never read as success.
DWORD FailureCode() {
    const DWORD error = ::GetLastError();
    return error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE;
}

void ReadCapabilities(PowerFacts& facts) {
    GetPwrCapabilitiesFunction get = lateGetPwrCapabilities.Get();
    // Zero first: older systems and Wine leave the newer bytes untouched.
    PowerCapabilities capabilities{};
    if (get == nullptr || !get(&capabilities)) return;
    facts.standby = capabilities.SystemS1 || capabilities.SystemS2 || capabilities.SystemS3;
    facts.modernStandby = capabilities.AoAc != 0;
    facts.hibernate = capabilities.SystemS4 != 0;
    facts.hiberFile = capabilities.HiberFilePresent != 0;
    facts.reducedHiberFile = capabilities.HiberFileType == kHiberFileReduced;
    if (capabilities.RtcWake != PowerSystemUnspecified) facts.rtcWake = capabilities.RtcWake;
}

// The plan's "Allow wake timers" for the power source in use now.
void ReadWakeTimers(PowerFacts& facts) {
    SYSTEM_POWER_STATUS status{};
    if (!::GetSystemPowerStatus(&status) || status.ACLineStatus > 1) return;
    const PowerSource source = status.ACLineStatus == 1 ? PowerSource::Mains : PowerSource::Battery;
    facts.source = source;
    PowerGetActiveSchemeFunction active = latePowerGetActiveScheme.Get();
    PowerReadValueIndexFunction read =
        source == PowerSource::Mains ? latePowerReadACValueIndex.Get() : latePowerReadDCValueIndex.Get();
    GUID* scheme = nullptr;
    if (active == nullptr || read == nullptr || active(nullptr, &scheme) != ERROR_SUCCESS || scheme == nullptr) return;
    DWORD value = 0;
    const DWORD result = read(nullptr, scheme, &kSleepSubgroup, &kAllowRtcWake, &value);
    ::LocalFree(scheme);  // allocated for us by PowerGetActiveScheme
    if (result == ERROR_SUCCESS && value <= static_cast<DWORD>(WakeTimers::ImportantOnly)) {
        facts.wakeTimers = static_cast<WakeTimers>(value);
    }
}

// A version as the seam gives it: the major number in the high byte.
WORD VersionWord(DWORD major, DWORD minor) { return static_cast<WORD>(((major & 0xFF) << 8) | (minor & 0xFF)); }

// Ticks of 100 ns between 1601-01-01 and 1970-01-01.
constexpr std::int64_t kUnixEpochTicks = 116444736000000000LL;
// How far ahead the resume probe sets its timer (a relative due time, in
// ticks of 100 ns): a year, so that it can never fire before it is cancelled.
constexpr std::int64_t kProbeAheadTicks = 365LL * 24 * 3600 * 10000000;

class RealSystem final : public System {
public:
    std::int64_t Now() override { return NowMilliseconds() / 1000; }

    std::int64_t NowMilliseconds() override {
        FILETIME ft;
        ::GetSystemTimeAsFileTime(&ft);
        const std::int64_t ticks = (static_cast<std::int64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
        return (ticks - kUnixEpochTicks) / 10000;
    }

    const TIME_ZONE_INFORMATION* Zone() override { return nullptr; }

    void Sleep(DWORD milliseconds) override { ::Sleep(milliseconds); }

    // The performance counter: monotonic, and present on every Windows the
    // program runs on (GetTickCount64 is not on XP, GetTickCount wraps).
    std::uint64_t Ticks() override {
        static const std::uint64_t frequency = [] {
            LARGE_INTEGER f{};
            ::QueryPerformanceFrequency(&f);
            return f.QuadPart > 0 ? static_cast<std::uint64_t>(f.QuadPart) : 1000;
        }();
        LARGE_INTEGER counter{};
        ::QueryPerformanceCounter(&counter);
        const auto count = static_cast<std::uint64_t>(counter.QuadPart);
        return count / frequency * 1000 + count % frequency * 1000 / frequency;
    }

    DWORD WaitForStop(HANDLE stop, DWORD milliseconds) override {
        if (stop == nullptr) {
            ::Sleep(milliseconds);
            return ERROR_SUCCESS;
        }
        switch (::WaitForSingleObject(stop, milliseconds)) {
            case WAIT_TIMEOUT:
                return ERROR_SUCCESS;
            case WAIT_OBJECT_0:
                return ERROR_CANCELLED;
            default:
                return FailureCode();
        }
    }

    int ShowMessage(HWND owner, const wchar_t* text, const wchar_t* caption, UINT style) override {
        return ::MessageBoxW(owner, text, caption, style);
    }

    DWORD OpenFileDialog(OPENFILENAMEW& record) override {
        GetOpenFileNameFunction open = lateGetOpenFileName.Get();
        if (open == nullptr) return ERROR_MOD_NOT_FOUND;
        if (open(&record)) return ERROR_SUCCESS;
        // No error of the dialog's own: the user closed it without a file.
        CommDlgExtendedErrorFunction extended = lateCommDlgExtendedError.Get();
        const DWORD error = extended != nullptr ? extended() : 0;
        return error != 0 ? error : ERROR_CANCELLED;
    }

    DWORD EnablePrivilege(const wchar_t* name) override {
        OwnedHandle token;
        if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, token.put())) return FailureCode();
        TOKEN_PRIVILEGES privileges{};
        privileges.PrivilegeCount = 1;
        if (!::LookupPrivilegeValueW(nullptr, name, &privileges.Privileges[0].Luid)) return FailureCode();
        privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        if (!::AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr)) return FailureCode();
        // It succeeds when the token lacks the privilege too, and says so here.
        return ::GetLastError();
    }

    DWORD ExitSession(UINT flags, DWORD reason) override {
        return ::ExitWindowsEx(flags, reason) ? ERROR_SUCCESS : FailureCode();
    }

    DWORD SetPowerState(BOOL suspend, BOOL force) override {
        return ::SetSystemPowerState(suspend, force) ? ERROR_SUCCESS : FailureCode();
    }

    PowerFacts QueryPowerFacts() override {
        PowerFacts facts;
        ReadCapabilities(facts);
        ReadWakeTimers(facts);
        return facts;
    }

    DWORD CreateWakeTimer(OwnedHandle& timer) override {
        HANDLE created = ::CreateWaitableTimerW(nullptr, FALSE, kWakeTimerName);
        if (created == nullptr) return FailureCode();
        timer.reset(created);
        return ERROR_SUCCESS;
    }

    DWORD SetWakeTimer(HANDLE timer, std::int64_t due, PTIMERAPCROUTINE routine, void* argument,
                       DWORD& resumeCode) override {
        LARGE_INTEGER dueTime;
        dueTime.QuadPart = due;
        // A success leaves a code behind when the system cannot resume on a
        // timer; cleared first, so an older code is not taken for it.
        ::SetLastError(ERROR_SUCCESS);
        if (!::SetWaitableTimer(timer, &dueTime, 0, routine, argument, TRUE)) return FailureCode();
        resumeCode = ::GetLastError();
        return ERROR_SUCCESS;
    }

    DWORD CancelWakeTimer(HANDLE timer) override {
        return ::CancelWaitableTimer(timer) ? ERROR_SUCCESS : FailureCode();
    }

    DWORD ProbeTimerResume(DWORD& resumeCode) override {
        const OwnedHandle timer(::CreateWaitableTimerW(nullptr, TRUE, nullptr));
        if (!timer) return FailureCode();
        LARGE_INTEGER dueTime;
        dueTime.QuadPart = -kProbeAheadTicks;
        ::SetLastError(ERROR_SUCCESS);
        if (!::SetWaitableTimer(timer.get(), &dueTime, 0, nullptr, nullptr, TRUE)) return FailureCode();
        const DWORD code = ::GetLastError();
        ::CancelWaitableTimer(timer.get());
        resumeCode = code;
        return ERROR_SUCCESS;
    }

    DWORD WaitAlertable(HANDLE stop) override {
        switch (::WaitForSingleObjectEx(stop, INFINITE, TRUE)) {
            case WAIT_IO_COMPLETION:
                return ERROR_SUCCESS;
            case WAIT_OBJECT_0:
                return ERROR_CANCELLED;
            default:
                return FailureCode();
        }
    }

    DWORD RunProgram(wchar_t* commandLine, HANDLE stop) override {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started{};
        if (!::CreateProcessW(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
            return FailureCode();
        }
        const OwnedHandle process(started.hProcess);
        const OwnedHandle thread(started.hThread);
        const HANDLE objects[] = {process.get(), stop};
        switch (::WaitForMultipleObjects(stop != nullptr ? 2 : 1, objects, FALSE, INFINITE)) {
            case WAIT_OBJECT_0:
                return ERROR_SUCCESS;
            case WAIT_OBJECT_0 + 1:
                return ERROR_CANCELLED;
            default:
                return FailureCode();
        }
    }

    DWORD SetExecutionState(EXECUTION_STATE flags) override {
        return ::SetThreadExecutionState(flags) != 0 ? ERROR_SUCCESS : FailureCode();
    }

    DWORD Play(const wchar_t* sound, DWORD flags) override {
        PlaySoundFunction play = latePlaySound.Get();
        if (play == nullptr) return ERROR_MOD_NOT_FOUND;
        return play(sound, nullptr, flags) ? ERROR_SUCCESS : FailureCode();
    }

    DWORD Beep(DWORD frequency, DWORD duration) override {
        return ::Beep(frequency, duration) ? ERROR_SUCCESS : FailureCode();
    }

    DWORD NotifyIcon(DWORD message, const NOTIFYICONDATAW& data) override {
        NotifyIconFunction notify = lateShellNotifyIcon.Get();
        if (notify == nullptr) return ERROR_MOD_NOT_FOUND;
        NOTIFYICONDATAW copy = data;
        return notify(message, &copy) ? ERROR_SUCCESS : FailureCode();
    }

    // GetVersionExW: it reports every version up to Windows 8 truly, which is
    // enough for the program's comparisons, none with a later one (system.h).
    WORD WindowsVersion() override {
        static const WORD version = [] {
            OSVERSIONINFOW info{};
            info.dwOSVersionInfoSize = sizeof info;
            if (!::GetVersionExW(&info)) return WORD{0};
            return VersionWord(info.dwMajorVersion, info.dwMinorVersion);
        }();
        return version;
    }

    WORD ShellVersion() override {
        static const WORD version = [] {
            constexpr WORD kWindows2000Shell = 0x0500;
            DLLGETVERSIONPROC get = lateShellVersion.Get();
            DLLVERSIONINFO info{};
            info.cbSize = sizeof info;
            if (get == nullptr || FAILED(get(&info))) return kWindows2000Shell;
            return VersionWord(info.dwMajorVersion, info.dwMinorVersion);
        }();
        return version;
    }

    DWORD AllowWindowMessage(HWND window, UINT message) override {
        ChangeWindowMessageFilterExFunction change = lateChangeWindowMessageFilterEx.Get();
        if (change == nullptr) return ERROR_PROC_NOT_FOUND;
        return change(window, message, kMessageFilterAllow, nullptr) ? ERROR_SUCCESS : FailureCode();
    }

    DWORD AllowProcessMessage(UINT message) override {
        ChangeWindowMessageFilterFunction change = lateChangeWindowMessageFilter.Get();
        if (change == nullptr) return ERROR_PROC_NOT_FOUND;
        return change(message, kMessageFilterAdd) ? ERROR_SUCCESS : FailureCode();
    }
};

RealSystem realSystem;
std::atomic<System*> current{&realSystem};

}  // namespace

System& Sys() { return *current.load(); }

void LoadSoundLibrary() { latePlaySound.Get(); }

void InstallSystem(System* replacement) { current.store(replacement ? replacement : &realSystem); }
