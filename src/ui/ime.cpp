// Switching a control's input method on or off.
#include "ui/ime.h"

#include <imm.h>

#include "platform/system.h"
#include "state/texts.h"

void SetImeOpen(HWND window, bool open) {
    HIMC context = ::ImmGetContext(window);
    // Without an input method there is no context, and nothing to release.
    if (context == nullptr) return;
    ::ImmSetOpenStatus(context, open ? TRUE : FALSE);
    if (!::ImmReleaseContext(window, context)) {
        Sys().ShowMessage(window, kImeReleaseFailed, kImeCaption, MB_OK | MB_ICONWARNING);
    }
}
