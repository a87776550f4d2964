// Switching a control's input method on or off.
#include "ui/ime.h"

#include <imm.h>

#include "platform/system.h"
#include "platform/system_library.h"
#include "state/texts.h"

namespace {

// imm32 is a known DLL only from Windows 7 on, so it is loaded from the
// system folder rather than imported. user32 has loaded it already wherever
// input methods are enabled, so this costs no load.
using GetContextFunction = HIMC(WINAPI*)(HWND);
using SetOpenStatusFunction = BOOL(WINAPI*)(HIMC, BOOL);
using ReleaseContextFunction = BOOL(WINAPI*)(HWND, HIMC);
LateFunction<GetContextFunction> lateGetContext{L"imm32.dll", "ImmGetContext"};
LateFunction<SetOpenStatusFunction> lateSetOpenStatus{L"imm32.dll", "ImmSetOpenStatus"};
LateFunction<ReleaseContextFunction> lateReleaseContext{L"imm32.dll", "ImmReleaseContext"};

}  // namespace

void SetImeOpen(HWND window, bool open) {
    GetContextFunction getContext = lateGetContext.Get();
    SetOpenStatusFunction setOpenStatus = lateSetOpenStatus.Get();
    ReleaseContextFunction releaseContext = lateReleaseContext.Get();
    // Without the library there is no input method to switch.
    if (getContext == nullptr || setOpenStatus == nullptr || releaseContext == nullptr) return;
    HIMC context = getContext(window);
    // Without an input method there is no context, and nothing to release.
    if (context == nullptr) return;
    setOpenStatus(context, open ? TRUE : FALSE);
    if (!releaseContext(window, context)) {
        Sys().ShowMessage(window, kImeReleaseFailed, kImeCaption, MB_OK | MB_ICONWARNING);
    }
}
