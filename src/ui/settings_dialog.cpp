// The settings dialog (template 183).
#include <windows.h>

#include "res/resource.h"
#include "state/app_state.h"
#include "ui/dialogs.h"
#include "ui/tray.h"
#include "ui/windows.h"

namespace {

void CloseSettings(HWND window, INT_PTR result) {
    if (HWND main = OpenDialog(app.mainWindow)) ::EnableWindow(::GetDlgItem(main, IDC_MAIN_SETTINGS), TRUE);
    ::EndDialog(window, result);
}

}  // namespace

INT_PTR CALLBACK SettingsDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    KeepHiddenBehindIcon(message, lParam);
    // Recorded first, so other parts reach the dialog from its first message
    // on; forgotten as the window goes away.
    app.settingsWindow = message == WM_NCDESTROY ? nullptr : window;
    switch (message) {
        case WM_COMMAND:
            if (LOWORD(wParam) == IDC_SET_OK) CloseSettings(window, IDOK);
            return FALSE;
        case WM_CLOSE:
            CloseSettings(window, LOWORD(wParam));
            return FALSE;
        default:
            return FALSE;
    }
}

void RunSettingsDialog(HWND mainWindow) {
    ::EnableWindow(::GetDlgItem(mainWindow, IDC_MAIN_SETTINGS), FALSE);
    ::DialogBoxParamW(app.instance, MAKEINTRESOURCEW(IDD_SETTINGS), nullptr, SettingsDialogProc, 0);
    app.settingsWindow = nullptr;
}
