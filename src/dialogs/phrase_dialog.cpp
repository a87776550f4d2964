// The phrase dialog: a command line is started and forgotten; anything that
// does not start becomes the favourite phrase.
#include "dialogs/phrase_dialog.h"

#include <memory>

#include "platform/guard.h"
#include "platform/handle.h"
#include "platform/text.h"
#include "res/resource.h"
#include "settings/store.h"
#include "state/messages.h"
#include "ui/ime.h"
#include "ui/tray.h"
#include "ui/program_windows.h"

namespace {

constexpr wchar_t kExplorerCommand[] = L"explorer /e, /root, c:\\";
constexpr std::size_t kCommandBufferUnits = 25;  // 50 bytes
// More than the phrase keeps, so that a longer text is cut here, by CutPhrase.
constexpr int kReadUnits = 256;

STARTUPINFOW startupRecord;
PROCESS_INFORMATION processRecord;

// Allocated at the dialog's first message in the life of the process and
// released at its exit.
wchar_t* CommandBuffer() {
    static const std::unique_ptr<wchar_t[]> buffer(new wchar_t[kCommandBufferUnits]());
    return buffer.get();
}

void InitPhraseDialog(HWND window) {
    programWindows.phrase = window;
    startupRecord = STARTUPINFOW{};
    // The record's own size: 68 bytes in the 32-bit program.
    startupRecord.cb = sizeof startupRecord;
    HWND field = ::GetDlgItem(window, IDC_PHRASE_TEXT);
    ::SetFocus(field);
    SetImeOpen(field, true);
}

// Starts the text as a command line; true if a process started. Its handles
// are closed at once: the program never waits for it.
bool StartCommand(const wchar_t* text) {
    wchar_t commandLine[kPhraseUnits];
    CopyText(commandLine, text);  // CreateProcessW may write into it
    processRecord = PROCESS_INFORMATION{};
    if (!::CreateProcessW(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startupRecord,
                          &processRecord)) {
        return false;
    }
    OwnedHandle process(processRecord.hProcess);
    OwnedHandle thread(processRecord.hThread);
    return true;
}

void OnPhraseOk(HWND window) {
    wchar_t typed[kReadUnits] = {};
    ::GetDlgItemTextW(window, IDC_PHRASE_TEXT, typed, kReadUnits);
    wchar_t phrase[kPhraseUnits];
    CutPhrase(typed, phrase);
    App().typedPhrase.Set(phrase);
    if (!StartCommand(phrase)) {
        WriteSettingString(value::TEXT, phrase);
        // Sent while the dialog is open: the scatter runs when it closes.
        ::SendMessageW(::GetParent(window), WM_SCATTERPHRASE, 0, 0);
    }
    ::EndDialog(window, 1);
}

void FillExplorerCommand() {
    wchar_t* buffer = CommandBuffer();
    CopyText(buffer, kCommandBufferUnits, kExplorerCommand);
    ::SetDlgItemTextW(programWindows.phrase.load(), IDC_PHRASE_TEXT, buffer);
}

}  // namespace

void CutPhrase(const wchar_t* text, wchar_t (&phrase)[kPhraseUnits]) { CopyText(phrase, text); }

INT_PTR CALLBACK PhraseDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    KeepHiddenBehindIcon(message, lParam);
    CommandBuffer();
    switch (message) {
        case WM_INITDIALOG:
            InitPhraseDialog(window);
            return FALSE;  // the focus stays on the field
        case WM_COMMAND:
            if (LOWORD(wParam) == IDC_PHRASE_OK) OnPhraseOk(window);
            return FALSE;
        case WM_LBUTTONDOWN:
            FillExplorerCommand();
            return FALSE;
        case WM_CLOSE:
            ::EndDialog(window, LOWORD(wParam));
            return FALSE;
        case WM_DESTROY:
            programWindows.phrase = nullptr;
            return FALSE;
        default:
            return FALSE;
    }
}

void RunPhraseDialog(HWND mainWindow) {
    ::DialogBoxParamW(App().instance, MAKEINTRESOURCEW(IDD_PHRASE), mainWindow, GuardedDialogProc<PhraseDialogProc>, 0);
}
