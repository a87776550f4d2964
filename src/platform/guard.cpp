// The notice a guarded GUI procedure shows once it caught an exception.
#include "platform/guard.h"

#include <atomic>

#include "platform/system.h"

namespace {

std::atomic<const wchar_t*> noticeText{nullptr};
std::atomic<const wchar_t*> noticeCaption{nullptr};
// Set once the box has been shown (or is showing): a second exception, from
// a message the box's own loop dispatched or from any later one, shows none.
std::atomic<bool> noticeShown{false};

}  // namespace

void SetEscapeNotice(const wchar_t* text, const wchar_t* caption) noexcept {
    noticeText.store(text);
    noticeCaption.store(caption);
    noticeShown.store(false);
}

void NoteGuiEscape() noexcept {
    const wchar_t* text = noticeText.load();
    if (text == nullptr || noticeShown.exchange(true)) return;
    // No owner: the window whose procedure failed may be half made or half
    // gone. Task-modal, so the program's windows wait for the answer. A box
    // that cannot be shown (no memory) answers 0, which changes nothing.
    try {
        Sys().ShowMessage(nullptr, text, noticeCaption.load(), MB_OK | MB_ICONERROR | MB_TASKMODAL);
    } catch (...) {  // NOLINT(bugprone-empty-catch): a fake seam may throw; Windows's never does
    }
}
