// The wait before an operation starts.
#include "schedule/settle.h"

#include "state/app_state.h"

void SettleOperationThreads() {
    const ThreadSlot* const slots[] = {
        &app.timerEndThread,
        &app.waitProgramThread,
        &app.scheduledEndThread,
        &app.wakeThread,
    };
    for (const ThreadSlot* slot : slots) {
        // A duplicate is ours alone: it cannot be closed or recycled while we
        // wait on it.
        OwnedHandle thread = slot->Duplicate();
        if (thread) WaitServingMessages(thread.get(), 3000);
    }
}
