// Owners for the kernel objects of the operations that several threads touch:
// an operation thread's handle and the wake-up timer.
#pragma once

#include <windows.h>

#include "platform/critical_section.h"
#include "platform/guard.h"
#include "platform/handle.h"

// Holds the handle of one operation thread. The handle is never shared as a
// raw value: the settling wait waits on a duplicate taken under the lock, and
// a thread that closes "its own" handle only releases the slot while the slot
// still holds that very thread. So nobody ever waits on, or closes, a handle
// value that has since been given to an unrelated object.
class ThreadSlot {
public:
    // Starts a thread running Procedure(argument), guarded (an exception
    // ends the thread with kEscapedExitCode, platform/guard.h), and keeps its
    // handle. Returns false if the thread could not be created.
    template <DWORD(WINAPI* Procedure)(void*)>
    bool Start(void* argument) {
        return StartGuarded(GuardedThreadProc<Procedure>, argument);
    }

    // A duplicate of the current handle (empty when none is held).
    OwnedHandle Duplicate() const;

    // Called by the thread itself on its way out. Nobody else ends a thread:
    // a cancelled thread wakes on its block's stop event and ends by itself.
    void ReleaseIfCurrentThread();

    bool Empty() const;

private:
    bool StartGuarded(LPTHREAD_START_ROUTINE guarded, void* argument);

    mutable CriticalSection lock_;
    OwnedHandle handle_ GUARDED_BY(lock_);
    DWORD threadId_ GUARDED_BY(lock_) = 0;
};

// A kernel handle that one thread creates and another may close.
class GuardedHandle {
public:
    void Reset(HANDLE handle = nullptr);
    // Cancels the waitable timer held here, if any, and closes it.
    void CancelTimerAndClose();
    // Runs f(handle) under the lock; the handle stays valid meanwhile.
    template <typename F>
    auto With(F f) const {
        Lock hold(lock_);
        return f(handle_.get());
    }

private:
    mutable CriticalSection lock_;
    OwnedHandle handle_ GUARDED_BY(lock_);
};
