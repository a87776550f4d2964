// Waiting from a thread that owns windows.
#include "platform/wait.h"

namespace {

// Serves the sent messages only; posted ones stay queued for the message loop.
void ServeQueuedSends() {
    MSG message;
    ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

}  // namespace

bool WaitServingMessages(HANDLE object, DWORD milliseconds) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        const DWORD elapsed = ::GetTickCount() - start;
        const DWORD left = elapsed >= milliseconds ? 0 : milliseconds - elapsed;
        // MWMO_INPUTAVAILABLE: a message already waiting wakes us too, even
        // one that an earlier queue check has marked as seen.
        const DWORD result = ::MsgWaitForMultipleObjectsEx(1, &object, left, QS_SENDMESSAGE, MWMO_INPUTAVAILABLE);
        if (result == WAIT_OBJECT_0) return true;
        if (result != WAIT_OBJECT_0 + 1) return false;  // timed out, or the handle is bad
        ServeQueuedSends();
    }
}

void ServeSentMessages(DWORD milliseconds) {
    if (::MsgWaitForMultipleObjectsEx(0, nullptr, milliseconds, QS_SENDMESSAGE, MWMO_INPUTAVAILABLE) == WAIT_OBJECT_0) {
        ServeQueuedSends();
    }
}
