// The real system behind the seam: thin forwarding to Win32.
#include "platform/system.h"

#include <mmsystem.h>

#include <atomic>

#include "platform/handle.h"
#include "platform/text.h"

namespace {

// A function of a system DLL that is loaded on its first use rather than at
// the start. The file dialog (comdlg32) and the notification area (shell32)
// are needed only once the user opens the one or hides the window; imported,
// they and what they bring (under Wine the printing libraries, about 3 MB
// of private memory and tens of milliseconds) would load at every start.
// The DLL is loaded by its full path in the system folder, never found
// through the search path, and stays loaded until the process ends. Two
// threads resolving at once both get the same address.
template <typename Function>
class LateFunction {
public:
    LateFunction(const wchar_t* dll, const char* name) : dll_(dll), name_(name) {}

    // The function, or nullptr when its DLL or the function is missing.
    Function Get() {
        Function function = function_.load();
        if (function == nullptr) {
            function = Resolve();
            function_.store(function);
        }
        return function;
    }

private:
    Function Resolve() const {
        wchar_t folder[MAX_PATH];
        const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) return nullptr;
        wchar_t path[MAX_PATH + 16];
        FormatText(path, L"%ls\\%ls", folder, dll_);
        HMODULE module = ::LoadLibraryW(path);
        if (module == nullptr) return nullptr;
        // NOLINTNEXTLINE(bugprone-casting-through-void): the exported function has this type
        return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name_)));
    }

    const wchar_t* dll_;
    const char* name_;
    std::atomic<Function> function_{nullptr};
};

using GetOpenFileNameFunction = BOOL(WINAPI*)(OPENFILENAMEW*);
using NotifyIconFunction = BOOL(WINAPI*)(DWORD, NOTIFYICONDATAW*);

LateFunction<GetOpenFileNameFunction> lateGetOpenFileName{L"comdlg32.dll", "GetOpenFileNameW"};
LateFunction<NotifyIconFunction> lateShellNotifyIcon{L"shell32.dll", "Shell_NotifyIconW"};

// Ticks of 100 ns between 1601-01-01 and 1970-01-01.
constexpr std::int64_t kUnixEpochTicks = 116444736000000000LL;

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

    bool WaitForStop(HANDLE stop, DWORD milliseconds) override {
        if (stop == nullptr) {
            ::Sleep(milliseconds);
            return false;
        }
        return ::WaitForSingleObject(stop, milliseconds) == WAIT_OBJECT_0;
    }

    int ShowMessage(HWND owner, const wchar_t* text, const wchar_t* caption, UINT style) override {
        return ::MessageBoxW(owner, text, caption, style);
    }

    BOOL OpenFileDialog(OPENFILENAMEW& record) override {
        // Without the DLL the dialog reads as cancelled.
        GetOpenFileNameFunction open = lateGetOpenFileName.Get();
        return open != nullptr ? open(&record) : FALSE;
    }

    void EnablePrivilege(const wchar_t* name) override {
        OwnedHandle token;
        // Best effort: a failure here surfaces as a refused request later.
        if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, token.put())) return;
        TOKEN_PRIVILEGES privileges{};
        privileges.PrivilegeCount = 1;
        ::LookupPrivilegeValueW(nullptr, name, &privileges.Privileges[0].Luid);
        privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        ::AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
    }

    BOOL ExitSession(UINT flags, DWORD reason) override { return ::ExitWindowsEx(flags, reason); }

    BOOL SetPowerState(BOOL suspend, BOOL force) override { return ::SetSystemPowerState(suspend, force); }

    HANDLE CreateWakeTimer(DWORD& error) override {
        HANDLE timer = ::CreateWaitableTimerW(nullptr, FALSE, kWakeTimerName);
        error = timer == nullptr ? ::GetLastError() : 0;
        return timer;
    }

    bool SetWakeTimer(HANDLE timer, std::int64_t due, PTIMERAPCROUTINE routine, void* argument, DWORD& error) override {
        LARGE_INTEGER dueTime;
        dueTime.QuadPart = due;
        const bool set = ::SetWaitableTimer(timer, &dueTime, 0, routine, argument, TRUE) != FALSE;
        error = set ? 0 : ::GetLastError();
        return set;
    }

    void CancelWakeTimer(HANDLE timer) override { ::CancelWaitableTimer(timer); }

    bool WaitAlertable(HANDLE stop) override {
        return ::WaitForSingleObjectEx(stop, INFINITE, TRUE) != WAIT_IO_COMPLETION;
    }

    ProgramRun RunProgram(wchar_t* commandLine, HANDLE stop) override {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started{};
        if (!::CreateProcessW(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
            return ProgramRun::NotStarted;
        }
        const OwnedHandle process(started.hProcess);
        const OwnedHandle thread(started.hThread);
        const HANDLE objects[] = {process.get(), stop};
        const DWORD result = ::WaitForMultipleObjects(stop != nullptr ? 2 : 1, objects, FALSE, INFINITE);
        return result == WAIT_OBJECT_0 ? ProgramRun::Exited : ProgramRun::Stopped;
    }

    void KeepAwake() override { ::SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED); }

    BOOL Play(const wchar_t* sound, DWORD flags) override { return ::PlaySoundW(sound, nullptr, flags); }

    BOOL Beep(DWORD frequency, DWORD duration) override { return ::Beep(frequency, duration); }

    BOOL NotifyIcon(DWORD message, const NOTIFYICONDATAW& data) override {
        NotifyIconFunction notify = lateShellNotifyIcon.Get();
        if (notify == nullptr) return FALSE;
        NOTIFYICONDATAW copy = data;
        return notify(message, &copy);
    }
};

RealSystem realSystem;
std::atomic<System*> current{&realSystem};

}  // namespace

System& Sys() { return *current.load(); }

void InstallSystem(System* replacement) { current.store(replacement ? replacement : &realSystem); }
