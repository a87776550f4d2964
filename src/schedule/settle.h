// The wait before an operation starts: earlier operation threads get a
// moment to finish.
#pragma once

#include <windows.h>

// Waits up to `milliseconds` for the object, still serving the messages that
// other threads send to this thread's windows meanwhile, so a worker that
// sets a caption or enables a control while we wait for it cannot stall.
// Returns true if the object was signalled.
bool WaitServingMessages(HANDLE object, DWORD milliseconds);

// Waits up to 3000 ms each on the timer-end, wait, scheduled-end and wake-up
// threads, in this order. A thread that has ended and let go of its handle
// is not waited for.
void SettleOperationThreads();
