// The wake-up toggle that completed operations call when a resume mode asks
// for the next wake-up.
#pragma once

// Arms the wake-up when it is idle. The waitable timer that carries it out is
// not part of this build yet, so for now the call arms nothing.
void ToggleWake();
