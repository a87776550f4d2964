// Process entry: the single-instance guard, then the main window as a modal
// dialog. The process ends when that dialog ends.
#include <windows.h>
#include <commctrl.h>

#include "app/main_window.h"
#include "app/window_view.h"
#include "platform/dpi.h"
#include "platform/guard.h"
#include "platform/handle.h"
#include "platform/system.h"
#include "res/resource.h"
#include "state/app_state.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // Before the first window, the box below included: a window's awareness
    // is fixed when it is made.
    DeclareDpiAwareness();
    static AppState state;  // never destroyed: the process ends below
    InstallApp(state);
    App().instance = instance;

    // Held until the process ends, which releases it.
    OwnedHandle guard(::CreateMutexW(nullptr, TRUE, L"tovakeli quillmarsh"));
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        Sys().ShowMessage(nullptr, kAlreadyRunning, kAlreadyRunningCaption, MB_OK);
        return 0;
    }

    LoadSoundLibrary();
    InstallView(&WindowView());
    SetEscapeNotice(kEscapeNotice, kBoxCaption);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_UPDOWN_CLASS};
    ::InitCommonControlsEx(&controls);

    ::DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_MAIN), nullptr, GuardedDialogProc<MainDialogProc>, 0);
    // Worker threads (the clock line, an armed operation) may still run.
    // Returning would destroy the shared state under them before the process
    // ends them; ending the process here ends them first. Nothing needs
    // saving: every setting was written when it changed.
    ::ExitProcess(1);
}
