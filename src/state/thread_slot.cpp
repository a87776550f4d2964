// Owners for the kernel objects of the operations.
#include "state/thread_slot.h"

#include "platform/system.h"

bool ThreadSlot::StartGuarded(LPTHREAD_START_ROUTINE guarded, void* argument) {
    // The lock is held across creation so the new thread cannot release the
    // slot before its own handle has been stored in it.
    Lock hold(lock_);
    DWORD id = 0;
    OwnedHandle thread(::CreateThread(nullptr, 0, guarded, argument, 0, &id));
    if (!thread) return false;
    handle_ = std::move(thread);
    threadId_ = id;
    return true;
}

OwnedHandle ThreadSlot::Duplicate() const {
    Lock hold(lock_);
    OwnedHandle copy;
    if (handle_) {
        ::DuplicateHandle(::GetCurrentProcess(), handle_.get(), ::GetCurrentProcess(), copy.put(),
                          SYNCHRONIZE | THREAD_QUERY_INFORMATION, FALSE, 0);
    }
    return copy;
}

void ThreadSlot::ReleaseIfCurrentThread() {
    Lock hold(lock_);
    if (handle_ && threadId_ == ::GetCurrentThreadId()) {
        handle_.reset();
        threadId_ = 0;
    }
}

bool ThreadSlot::Empty() const {
    Lock hold(lock_);
    return !handle_;
}

void GuardedHandle::Reset(HANDLE handle) {
    Lock hold(lock_);
    handle_.reset(handle);
}

void GuardedHandle::CancelTimerAndClose() {
    Lock hold(lock_);
    if (handle_) Sys().CancelWakeTimer(handle_.get());
    handle_.reset();
}
