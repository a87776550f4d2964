// The manual operations dialog (template 185).
#include <windows.h>

#include "res/resource.h"
#include "state/app_state.h"
#include "ui/dialogs.h"
#include "ui/windows.h"

namespace {

void CloseManual(HWND window, INT_PTR result) {
    if (HWND main = OpenDialog(app.mainWindow)) ::EnableWindow(::GetDlgItem(main, IDC_MAIN_MANUAL), TRUE);
    ::EndDialog(window, result);
}

}  // namespace

INT_PTR CALLBACK ManualDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
    app.manualWindow = message == WM_NCDESTROY ? nullptr : window;
    switch (message) {
        case WM_COMMAND:
            if (LOWORD(wParam) == IDC_MAN_OK) CloseManual(window, IDOK);
            return FALSE;
        case WM_CLOSE:
            CloseManual(window, LOWORD(wParam));
            return FALSE;
        default:
            return FALSE;
    }
}

void RunManualDialog(HWND mainWindow) {
    ::EnableWindow(::GetDlgItem(mainWindow, IDC_MAIN_MANUAL), FALSE);
    ::DialogBoxParamW(app.instance, MAKEINTRESOURCEW(IDD_MANUAL), nullptr, ManualDialogProc, 0);
    app.manualWindow = nullptr;
}
