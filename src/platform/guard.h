// The edges where Windows calls into the program: window, dialog and subclass
// procedures, enumeration callbacks, thread entries and completion routines.
// An exception (an allocation that failed, or any other) must never unwind
// into the system's frames that called such a procedure. Each one is handed
// to Windows wrapped in one of these guards, which catch everything and give
// the answer that is safe for its kind:
//   dialog and window procedures: FALSE / 0, "not handled"
//   enumeration callbacks: FALSE, stop enumerating
//   thread entries: the exit code kEscapedExitCode
//   completion routines: nothing
// On the GUI thread (procedures and callbacks) the user is told once per
// process, by a box through the seam, if a notice has been set; a worker
// ends quietly, as a box would keep it alive and the settling wait with it.
// The guard neither rethrows nor shows a second box, however often it
// catches, so it cannot recurse through the box's own message loop.
#pragma once

#include <windows.h>

// The exit code of a thread whose procedure ended by an exception.
// (574 is ERROR_UNHANDLED_EXCEPTION, which mingw-w64's headers do not name.)
inline constexpr DWORD kEscapedExitCode = 574;

// The text and caption of the box a guarded GUI procedure shows, once, after
// it caught an exception; also arms that box anew. Both must outlive the
// process (string literals). Until it is called no box is shown.
void SetEscapeNotice(const wchar_t* text, const wchar_t* caption) noexcept;

// What a guard does after it caught an exception on the GUI thread: shows
// the notice if it has not been shown yet.
void NoteGuiEscape() noexcept;

template <INT_PTR(CALLBACK* Procedure)(HWND, UINT, WPARAM, LPARAM)>
INT_PTR CALLBACK GuardedDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    try {
        return Procedure(window, message, wParam, lParam);
    } catch (...) {  // std::bad_alloc or anything else: never into Windows
        NoteGuiEscape();
        return FALSE;
    }
}

template <LRESULT(CALLBACK* Procedure)(HWND, UINT, WPARAM, LPARAM)>
LRESULT CALLBACK GuardedWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    try {
        return Procedure(window, message, wParam, lParam);
    } catch (...) {
        NoteGuiEscape();
        return 0;
    }
}

template <BOOL(CALLBACK* Procedure)(HWND, LPARAM)>
BOOL CALLBACK GuardedEnumProc(HWND window, LPARAM parameter) noexcept {
    try {
        return Procedure(window, parameter);
    } catch (...) {
        NoteGuiEscape();
        return FALSE;
    }
}

template <DWORD(WINAPI* Procedure)(void*)>
DWORD WINAPI GuardedThreadProc(void* argument) noexcept {
    try {
        return Procedure(argument);
    } catch (...) {
        return kEscapedExitCode;
    }
}

template <void(CALLBACK* Procedure)(void*, DWORD, DWORD)>
void CALLBACK GuardedTimerRoutine(void* argument, DWORD timerLow, DWORD timerHigh) noexcept {
    try {
        Procedure(argument, timerLow, timerHigh);
    } catch (...) {  // NOLINT(bugprone-empty-catch): a routine has no answer to give; the worker goes on
    }
}
