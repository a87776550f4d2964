// The timer end: a count-down of the hours, minutes and seconds typed into the
// manual operations dialog, after which the end action is carried out.
#pragma once

// Handler of the manual dialog's button 1021 (GUI thread): starts or cancels
// the timer end. The count-down thread is not part of this build yet, so for
// now the call starts nothing.
void ToggleTimerEnd();
