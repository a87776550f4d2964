// A recording stand-in for the system seam: a clock that only moves when
// something sleeps, and a log of every box, power request, sound and
// notification-area call, and an open-file dialog that answers as the test
// says. Safe to use from several threads.
#pragma once

#include <windows.h>
#include <shellapi.h>
#include <mmsystem.h>
#include <cderr.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/handle.h"
#include "platform/system.h"

class FakeSystem : public System {
public:
    struct Message {
        HWND owner;
        std::wstring text;
        std::wstring caption;
        UINT style;
    };
    struct Sound {
        const wchar_t* sound;  // a resource pointer or a file name
        DWORD flags;
        std::wstring file;  // the file name, copied, when SND_FILENAME is set
    };
    struct Notify {
        DWORD message;
        NOTIFYICONDATAW data;
        std::int64_t atMilliseconds;  // the fake wall clock when it was sent
        BOOL answer;
    };
    struct FileDialog {
        OPENFILENAMEW record;  // as handed in
        std::wstring initial;  // the file name it offered
    };
    // Every call in order, as one line each (for sequence checks).
    std::vector<std::wstring> calls;

    std::int64_t now = 1796000000;  // some moment in 2026; set by the test
    std::uint64_t ticks = 5000;     // the monotonic clock, in milliseconds
    DWORD overrunMs = 0;
    const TIME_ZONE_INFORMATION* zone = nullptr;
    std::vector<DWORD> sleeps;
    std::vector<Message> messages;
    std::vector<std::wstring> privileges;
    std::vector<UINT> exits;
    std::vector<DWORD> exitReasons;
    std::vector<std::pair<BOOL, BOOL>> powerStates;
    std::vector<Sound> sounds;
    std::vector<std::pair<DWORD, DWORD>> beeps;
    std::vector<Notify> notifies;
    int messageResult = IDOK;

    std::vector<FileDialog> fileDialogs;
    // The path the open-file dialog chooses; nothing means the user cancels.
    // Like the real one, it fails when the path does not fit the buffer.
    std::optional<std::wstring> chosenFile;
    // The notification area refuses (ERROR_TIMEOUT) the calls this names
    // (called under the lock); unset, it accepts every call.
    std::function<bool(DWORD message)> refuseNotify;
    // Called after every sleep, outside the lock: lets a test act "during" a
    // count-down, e.g. cancel it after a given number of steps.
    std::function<void()> onSleep;
    // Called inside every power request, on the requesting thread, outside
    // the lock: the machine "sleeps" for as long as it runs.
    std::function<void()> onPowerState;

    // The wake-up timer, a plain event as far as handles go. Its routine runs
    // inside WaitAlertable once the clock has reached the due time, which the
    // wait moves the clock to unless `holdWakeTimer`. A nonzero error makes
    // creating or setting it fail.
    DWORD createTimerError = 0;
    DWORD setTimerError = 0;
    std::atomic<bool> holdWakeTimer{false};
    std::int64_t wakeDue = 0;  // 100 ns units since 1601
    PTIMERAPCROUTINE wakeRoutine = nullptr;
    void* wakeArgument = nullptr;
    int wakeTimerCancels = 0;
    // The programs run after a wake-up; one that runs until stopped sets
    // `programRunning` and waits for the stop event.
    std::vector<std::wstring> programs;
    bool programStarts = true;
    bool programRunsUntilStopped = false;
    OwnedHandle programRunning{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    // What a set timer leaves behind: ERROR_SUCCESS, or that the system
    // cannot resume on it.
    DWORD timerResumeCode = ERROR_SUCCESS;
    // Every execution state set, with the thread that set it.
    std::vector<std::pair<DWORD, EXECUTION_STATE>> executionStates;
    // The answers of the power requests, and what the PC can do.
    DWORD privilegeError = ERROR_SUCCESS;
    DWORD exitError = ERROR_SUCCESS;
    DWORD powerError = ERROR_SUCCESS;
    PowerFacts powerFacts;

    DWORD CreateWakeTimer(OwnedHandle& timer) override {
        std::lock_guard<std::mutex> hold(lock);
        if (createTimerError != ERROR_SUCCESS) return createTimerError;
        timer.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        return ERROR_SUCCESS;
    }
    DWORD SetWakeTimer(HANDLE, std::int64_t due, PTIMERAPCROUTINE routine, void* argument, DWORD& resumeCode) override {
        std::lock_guard<std::mutex> hold(lock);
        if (setTimerError != ERROR_SUCCESS) return setTimerError;
        resumeCode = timerResumeCode;
        std::tie(wakeDue, wakeRoutine, wakeArgument) = std::make_tuple(due, routine, argument);
        return ERROR_SUCCESS;
    }
    DWORD CancelWakeTimer(HANDLE) override {
        std::lock_guard<std::mutex> hold(lock);
        calls.push_back(L"CancelWakeTimer");
        wakeRoutine = nullptr;
        ++wakeTimerCancels;
        return ERROR_SUCCESS;
    }
    // Answers as a set timer would: with `timerResumeCode`.
    DWORD ProbeTimerResume(DWORD& resumeCode) override {
        std::lock_guard<std::mutex> hold(lock);
        resumeCode = timerResumeCode;
        return ERROR_SUCCESS;
    }
    DWORD WaitAlertable(HANDLE stop) override {
        for (;; ::WaitForSingleObject(stop, 10)) {
            if (::WaitForSingleObject(stop, 0) == WAIT_OBJECT_0) return ERROR_CANCELLED;
            std::unique_lock<std::mutex> hold(lock);
            const std::int64_t due = (wakeDue - 116444736000000000LL + 9999999) / 10000000;
            if (wakeRoutine != nullptr && !holdWakeTimer) now = std::max(now, due);
            if (wakeRoutine == nullptr || now < due) continue;
            const PTIMERAPCROUTINE routine = std::exchange(wakeRoutine, nullptr);
            hold.unlock();
            routine(wakeArgument, 0, 0);
            return ERROR_SUCCESS;
        }
    }
    DWORD RunProgram(wchar_t* commandLine, HANDLE stop) override {
        {
            std::lock_guard<std::mutex> hold(lock);
            programs.emplace_back(commandLine);
            if (!programStarts) return ERROR_FILE_NOT_FOUND;
            if (!programRunsUntilStopped) return ERROR_SUCCESS;
        }
        ::SetEvent(programRunning.get());
        return ::WaitForSingleObject(stop, 10000) == WAIT_OBJECT_0 ? ERROR_CANCELLED : ERROR_SUCCESS;
    }
    DWORD SetExecutionState(EXECUTION_STATE flags) override {
        std::lock_guard<std::mutex> hold(lock);
        executionStates.emplace_back(::GetCurrentThreadId(), flags);
        return ERROR_SUCCESS;
    }
    PowerFacts QueryPowerFacts() override {
        std::lock_guard<std::mutex> hold(lock);
        return powerFacts;
    }

    std::int64_t Now() override {
        std::lock_guard<std::mutex> hold(lock);
        return now;
    }
    std::int64_t NowMilliseconds() override {
        std::lock_guard<std::mutex> hold(lock);
        return now * 1000 + sleptMilliseconds;
    }
    const TIME_ZONE_INFORMATION* Zone() override { return zone; }
    void Sleep(DWORD milliseconds) override {
        {
            std::lock_guard<std::mutex> hold(lock);
            sleeps.push_back(milliseconds);
            sleptMilliseconds += milliseconds + overrunMs;
            ticks += milliseconds + overrunMs;
            now += sleptMilliseconds / 1000;
            sleptMilliseconds %= 1000;
            calls.push_back(L"Sleep " + std::to_wstring(milliseconds));
        }
        if (onSleep) onSleep();
    }
    // The PC sleeps for `seconds` with no notice: both clocks jump. Safe to
    // call from onSleep on any thread.
    void Suspend(std::int64_t seconds) {
        std::lock_guard<std::mutex> hold(lock);
        now += seconds;
        ticks += static_cast<std::uint64_t>(seconds) * 1000;
    }
    // Both clocks follow every sleep and wait, plus `overrunMs` for
    // each: a sleep that lasts longer than asked, as real ones do.
    std::uint64_t Ticks() override {
        std::lock_guard<std::mutex> hold(lock);
        return ticks;
    }
    // Passes the time like Sleep (a test's onSleep may set the event), then
    // answers whether the event is set.
    DWORD WaitForStop(HANDLE stop, DWORD milliseconds) override {
        Sleep(milliseconds);
        return stop != nullptr && ::WaitForSingleObject(stop, 0) == WAIT_OBJECT_0 ? ERROR_CANCELLED : ERROR_SUCCESS;
    }
    int ShowMessage(HWND owner, const wchar_t* text, const wchar_t* caption, UINT style) override {
        std::lock_guard<std::mutex> hold(lock);
        messages.push_back({owner, text, caption, style});
        calls.push_back(std::wstring(L"Message ") + text);
        return messageResult;
    }
    DWORD OpenFileDialog(OPENFILENAMEW& record) override {
        std::lock_guard<std::mutex> hold(lock);
        fileDialogs.push_back({record, record.lpstrFile ? record.lpstrFile : L""});
        calls.push_back(L"OpenFileDialog");
        if (!chosenFile) return ERROR_CANCELLED;
        if (chosenFile->size() >= record.nMaxFile) return FNERR_BUFFERTOOSMALL;
        chosenFile->copy(record.lpstrFile, chosenFile->size());
        record.lpstrFile[chosenFile->size()] = L'\0';
        return ERROR_SUCCESS;
    }
    DWORD EnablePrivilege(const wchar_t* name) override {
        std::lock_guard<std::mutex> hold(lock);
        privileges.push_back(name);
        calls.push_back(std::wstring(L"Privilege ") + name);
        return privilegeError;
    }
    DWORD ExitSession(UINT flags, DWORD reason) override {
        std::lock_guard<std::mutex> hold(lock);
        exits.push_back(flags);
        exitReasons.push_back(reason);
        calls.push_back(L"Exit " + std::to_wstring(flags));
        return exitError;
    }
    DWORD SetPowerState(BOOL suspend, BOOL force) override {
        {
            std::lock_guard<std::mutex> hold(lock);
            powerStates.emplace_back(suspend, force);
            calls.push_back(L"Power " + std::to_wstring(suspend) + L" " + std::to_wstring(force));
        }
        if (onPowerState) onPowerState();
        std::lock_guard<std::mutex> hold(lock);
        return powerError;
    }
    DWORD Play(const wchar_t* sound, DWORD flags) override {
        std::lock_guard<std::mutex> hold(lock);
        sounds.push_back({sound, flags, (flags & SND_FILENAME) && sound ? std::wstring(sound) : std::wstring()});
        calls.push_back(L"Play " + std::to_wstring(flags));
        return ERROR_SUCCESS;
    }
    DWORD Beep(DWORD frequency, DWORD duration) override {
        std::lock_guard<std::mutex> hold(lock);
        beeps.emplace_back(frequency, duration);
        calls.push_back(L"Beep " + std::to_wstring(frequency) + L" " + std::to_wstring(duration));
        return ERROR_SUCCESS;
    }
    DWORD NotifyIcon(DWORD message, const NOTIFYICONDATAW& data) override {
        std::lock_guard<std::mutex> hold(lock);
        const BOOL answer = refuseNotify && refuseNotify(message) ? FALSE : TRUE;
        notifies.push_back({message, data, now * 1000 + sleptMilliseconds, answer});
        calls.push_back(L"Notify " + std::to_wstring(message) + L" " + data.szInfo);
        return answer ? ERROR_SUCCESS : ERROR_TIMEOUT;
    }

    // The Windows version it reports (a later one than Vista unless the test
    // says), and the message filters: each call allowed, as (window, message)
    // with a null window for the process-wide one. A function the system
    // "lacks" answers ERROR_PROC_NOT_FOUND; otherwise the error set here.
    WORD windowsVersion = 0x0A00;
    std::vector<std::pair<HWND, UINT>> allowedMessages;
    DWORD allowWindowError = ERROR_SUCCESS;
    DWORD allowProcessError = ERROR_SUCCESS;
    WORD WindowsVersion() override { return windowsVersion; }
    WORD shellVersion = 0x0600;
    WORD ShellVersion() override { return shellVersion; }
    DWORD AllowWindowMessage(HWND window, UINT message) override {
        std::lock_guard<std::mutex> hold(lock);
        allowedMessages.emplace_back(window, message);
        return allowWindowError;
    }
    DWORD AllowProcessMessage(UINT message) override {
        std::lock_guard<std::mutex> hold(lock);
        allowedMessages.emplace_back(nullptr, message);
        return allowProcessError;
    }

    std::mutex lock;

private:
    DWORD sleptMilliseconds = 0;
};

// Installs a fake system for the life of a test scope, then puts back the
// one that was in force before.
class ScopedSystem {
public:
    explicit ScopedSystem(System& fake) : previous_(&Sys()) { InstallSystem(&fake); }
    ~ScopedSystem() { InstallSystem(previous_); }
    ScopedSystem(const ScopedSystem&) = delete;
    ScopedSystem& operator=(const ScopedSystem&) = delete;

private:
    System* previous_;
};
