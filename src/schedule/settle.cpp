// The wait before an operation starts.
#include "schedule/settle.h"

#include "platform/wait.h"
#include "state/app_state.h"

void SettleOperationThreads() {
    for (Operation operation :
         {Operation::TimerEnd, Operation::WaitProgram, Operation::ScheduledEnd, Operation::Wake}) {
        // A duplicate is ours alone: it cannot be closed or recycled while we
        // wait on it.
        OwnedHandle thread = App().operation(operation).thread.Duplicate();
        if (thread) WaitServingMessages(thread.get(), 3000);
    }
}
