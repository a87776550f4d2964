// The wake-up toggle. Completed operations call it when a resume mode is set;
// until the wake timer is built it deliberately does nothing, so they go
// straight on to their end action.
#include "schedule/wake.h"

void ToggleWake() {}
