// Waiting on a kernel object from a thread that owns windows.
#pragma once

#include <windows.h>

// Waits up to `milliseconds` for the object, still serving the messages that
// other threads send to this thread's windows meanwhile, so a worker that
// sets a caption or enables a control while we wait for it cannot stall.
// Returns true if the object was signalled.
bool WaitServingMessages(HANDLE object, DWORD milliseconds);
