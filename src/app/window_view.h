// The program's windows as the operations' view: the main window and the
// manual operations dialog show what the operations report, and the main
// window answers their requests on the GUI thread.
#pragma once

#include "state/view.h"

// The view the program installs at its start (and the window tests with it).
View& WindowView();

// GUI thread, as the main window starts: makes the count-down window that
// this view shows; false when the system refused it.
bool MakeCountdownWindow(HINSTANCE instance);
