// The program's one seam to the outside world: the clock and time zone,
// sleeping, message boxes, the open-file dialog, session and power requests,
// the wake-up timer and the program it runs, sounds and the notification area. Tests install a fake so that logic runs
// without waiting, beeping, showing boxes or ending the session.
//
// How the seam answers:
// - A call that can fail returns a DWORD: ERROR_SUCCESS, or the code of the
//   failure, the system's own wherever it gives one and never ERROR_SUCCESS.
//   A failure the program can do nothing about is still answered; callers
//   that have nothing to do with it ignore it.
// - A call that is ended by a stop event or closed by the user without a
//   choice answers ERROR_CANCELLED.
// - What a call hands back besides goes into reference parameters after its
//   inputs, written only when it answers ERROR_SUCCESS.
// - Calls that cannot fail return their value (Now, NowMilliseconds, Zone,
//   Ticks, QueryPowerFacts, which reports unknown facts as unknown) or
//   nothing (Sleep). ShowMessage answers with the button pressed, 0 when no
//   box could be shown: the box is itself how the program reports, so there
//   is nowhere further to report its failure, and a caller that reads the
//   answer acts only on the button it asked about.
#pragma once

#include <windows.h>
#include <shellapi.h>
#include <commdlg.h>

#include <cstdint>

#include "platform/handle.h"
#include "platform/power_facts.h"

// The wake-up timer's name: the program's own, so that no other program's
// timer is opened (and re-timed or cancelled) in its place, nor ours by it.
inline constexpr wchar_t kWakeTimerName[] = L"tovakeli quillmarsh wake-up";

class System {
public:
    virtual ~System() = default;

    // Seconds since 1970-01-01 UTC.
    virtual std::int64_t Now() = 0;
    // The same clock in milliseconds, for waits that end on a whole second.
    virtual std::int64_t NowMilliseconds() = 0;
    // The zone for local time; nullptr means the system's current zone.
    virtual const TIME_ZONE_INFORMATION* Zone() = 0;
    virtual void Sleep(DWORD milliseconds) = 0;
    // Milliseconds on a clock that only moves forward, whatever the calendar
    // clock does; operations pace their ticks by it.
    virtual std::uint64_t Ticks() = 0;
    // Waits up to `milliseconds` for the event `stop`: ERROR_SUCCESS when the
    // time is up, ERROR_CANCELLED when the event was set. Workers wait this
    // way, never with a bare sleep, so a cancel wakes them. Without an event
    // it sleeps.
    virtual DWORD WaitForStop(HANDLE stop, DWORD milliseconds) = 0;
    virtual int ShowMessage(HWND owner, const wchar_t* text, const wchar_t* caption, UINT style) = 0;
    // Runs the common open-file dialog on the record: ERROR_SUCCESS when a
    // file was chosen, ERROR_CANCELLED when the user closed it without one,
    // or the dialog's own error (CommDlgExtendedError) or that of loading it.
    virtual DWORD OpenFileDialog(OPENFILENAMEW& record) = 0;

    // Enables a privilege (by name) in the process token: ERROR_SUCCESS, or
    // ERROR_NOT_ALL_ASSIGNED when the token does not hold it (the user right
    // is missing), or the error of a call that failed.
    virtual DWORD EnablePrivilege(const wchar_t* name) = 0;
    // Asks to end the session (ExitWindowsEx): ERROR_SUCCESS once the request
    // is under way, or the error that refused it.
    virtual DWORD ExitSession(UINT flags, DWORD reason) = 0;
    // Asks for standby (suspend) or hibernation (SetSystemPowerState), which
    // returns only after the resume: ERROR_SUCCESS, or the error that kept the
    // machine from sleeping.
    virtual DWORD SetPowerState(BOOL suspend, BOOL force) = 0;
    // What this PC will do with a power request (GetPwrCapabilities and the
    // active power plan, loaded on first use; unknown where missing).
    virtual PowerFacts QueryPowerFacts() = 0;

    // The wake-up: the named timer kWakeTimerName that resumes the machine,
    // set for an absolute due time (100 ns units since 1601-01-01 UTC) with a
    // completion routine that runs on the setting thread while it waits
    // alertably. A Set that succeeded hands back in `resumeCode` the code it
    // left behind, which tells whether the system can resume on a timer
    // (ERROR_NOT_SUPPORTED, kTimerResumeIgnored) or ERROR_SUCCESS.
    virtual DWORD CreateWakeTimer(OwnedHandle& timer) = 0;
    virtual DWORD SetWakeTimer(HANDLE timer, std::int64_t due, PTIMERAPCROUTINE routine, void* argument,
                               DWORD& resumeCode) = 0;
    virtual DWORD CancelWakeTimer(HANDLE timer) = 0;
    // Asks whether the system can resume on a timer, of a timer of its own:
    // unnamed, set far ahead to resume, then cancelled and closed. Hands back
    // in `resumeCode` what the Set left behind, as SetWakeTimer does; or the
    // error of creating or setting it.
    virtual DWORD ProbeTimerResume(DWORD& resumeCode) = 0;
    // Waits alertably for `stop`: ERROR_SUCCESS when a completion routine has
    // run, ERROR_CANCELLED when the event is set, or the wait's failure.
    virtual DWORD WaitAlertable(HANDLE stop) = 0;
    // Starts a command line and waits until the process has ended
    // (ERROR_SUCCESS) or `stop` is set (ERROR_CANCELLED; the process is left
    // running); or the error that kept it from starting, or of the wait.
    virtual DWORD RunProgram(wchar_t* commandLine, HANDLE stop) = 0;
    // The calling thread's execution state (SetThreadExecutionState): with
    // ES_CONTINUOUS it holds until the same thread sets another. A failure
    // (only for flags the system does not know) leaves the machine to its
    // own idle rules.
    virtual DWORD SetExecutionState(EXECUTION_STATE flags) = 0;

    virtual DWORD Play(const wchar_t* sound, DWORD flags) = 0;
    virtual DWORD Beep(DWORD frequency, DWORD duration) = 0;
    virtual DWORD NotifyIcon(DWORD message, const NOTIFYICONDATAW& data) = 0;

    // The Windows version as _WIN32_WINNT writes it: 0x0500 for 2000, 0x0501
    // XP, 0x0600 Vista, 0x0601 7. Without a supportedOS entry in the
    // manifest, Windows 8.1 and later report 0x0602: enough for every test
    // of "Vista or later".
    virtual WORD WindowsVersion() = 0;
    // The version of shell32, written the same way (DllGetVersion): 0x0500
    // on Windows 2000, 0x0600 from XP on; 0x0500 when it cannot tell.
    virtual WORD ShellVersion() = 0;
    // Lets `message` reach `window` from a process of lower integrity, which
    // User Interface Privilege Isolation (Vista and later) drops otherwise:
    // ChangeWindowMessageFilterEx (Windows 7 and later) for that window,
    // ChangeWindowMessageFilter (Vista) for the whole process.
    // ERROR_PROC_NOT_FOUND where the system lacks the function (before Windows
    // 7, and before Vista, where there is no such filter).
    virtual DWORD AllowWindowMessage(HWND window, UINT message) = 0;
    virtual DWORD AllowProcessMessage(UINT message) = 0;
};

// Loads the sound library now, once for the process, so that the first sound
// of a count-down starts without waiting for it (the program's start).
void LoadSoundLibrary();

// The system in force: the real one unless a test has installed another.
System& Sys();

// Installs a replacement (nullptr restores the real system). Tests call it
// before they start any thread that uses the seam.
void InstallSystem(System* replacement);
