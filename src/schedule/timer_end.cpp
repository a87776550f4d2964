// The timer end's toggle. Until the count-down thread is built it deliberately
// does nothing: the button changes no caption, locks nothing and starts no
// thread, so the program stays idle.
#include "schedule/timer_end.h"

void ToggleTimerEnd() {}
