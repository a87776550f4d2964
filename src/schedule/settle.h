// The wait before an operation starts: earlier operation threads get a
// moment to finish.
#pragma once

#include <windows.h>

// Waits up to 3000 ms each on the timer-end, wait, scheduled-end and wake-up
// threads, in this order. A thread that has ended and let go of its handle
// is not waited for.
void SettleOperationThreads();
