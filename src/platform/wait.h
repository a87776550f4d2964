// Waiting from a thread that owns windows.
#pragma once

#include <windows.h>

// Waits up to `milliseconds` for the object, still serving the messages that
// other threads send to this thread's windows meanwhile, so a worker that
// sets a caption or enables a control while we wait for it cannot stall.
// Returns true if the object was signalled.
bool WaitServingMessages(HANDLE object, DWORD milliseconds);

// Waits up to `milliseconds` for a message that another thread sends to this
// thread's windows, and serves the sent messages that have come. Posted
// messages stay queued for the message loop.
void ServeSentMessages(DWORD milliseconds);

// Waits up to `milliseconds` until `done()` holds, polling it every 10 ms
// while serving sent messages as WaitServingMessages does; its last result.
template <typename Done>
bool WaitServingMessagesUntil(Done done, DWORD milliseconds) {
    const DWORD start = ::GetTickCount();
    while (!done()) {
        const DWORD elapsed = ::GetTickCount() - start;
        if (elapsed >= milliseconds) return done();
        const DWORD left = milliseconds - elapsed;
        ServeSentMessages(left < 10 ? left : 10);
    }
    return true;
}
