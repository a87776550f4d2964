// The settings dialog (template IDD_SETTINGS): start-up registration, what happens
// after a wake-up and the program run then, and the sound of the final
// count-down. Each change is written to the registry the moment its control
// reports, mirrored in the application state and shown in the summary; there
// is no cancel.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <cstdint>
#include <iterator>
#include <optional>

#include "dialogs/dialogs.h"
#include "dialogs/settings_logic.h"
#include "platform/guard.h"
#include "platform/system.h"
#include "platform/text.h"
#include "platform/windows.h"
#include "res/resource.h"
#include "settings/load.h"
#include "settings/store.h"
#include "state/app_state.h"
#include "ui/button_hover.h"
#include "ui/ime.h"
#include "ui/locking.h"
#include "ui/summary.h"
#include "ui/tray.h"
#include "ui/program_windows.h"

namespace {

constexpr DWORD kOpenFileFlags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
static_assert(kOpenFileFlags == 6148);

constexpr short kCountdownLargest = 999;
constexpr WPARAM kCountdownDigits = 3;

// Indexed by SoundMode. The resume modes' buttons are kResumeRadios
// (ui/locking.h), which the locking of the resume controls reads too.
constexpr int kSoundRadios[] = {
    IDC_SET_SILENT, IDC_SET_TEN_COUNT, IDC_SET_HEARTBEAT, IDC_SET_BEEP, IDC_SET_CHOSEN_SOUND,
};

void RegisterAtStartup(bool checked);

// A check box bound to a number setting: checked is 1, unchecked 0. Opening
// the dialog checks it when its setting is nonzero; a click stores the new
// state (after `beforeSave`, if any). A new check-box setting is one line here.
struct CheckBox {
    int id;
    const SettingRow& setting;
    void (*beforeSave)(bool checked);
};
constexpr CheckBox kCheckBoxes[] = {
    {IDC_SET_EXPLOSION, SettingNamed(value::EXPLOSION_SOUND), nullptr},
    {IDC_SET_STARTUP, SettingNamed(value::STARTUPCHECK), RegisterAtStartup},
};

// The open-file records and display names, refilled at every opening. The
// open-file dialog writes into a path buffer of the dialog's own (GUI thread
// only); the setting, which worker threads read, takes the result whole.
OPENFILENAMEW programFileDialog;
OPENFILENAMEW soundFileDialog;
wchar_t programPath[kPathUnits];
wchar_t soundPath[kPathUnits];
wchar_t programDisplayName[kPathUnits];
wchar_t soundDisplayName[kPathUnits];

// One of the two settings chosen with a file dialog.
struct FileSetting {
    OPENFILENAMEW& record;
    wchar_t (&path)[kPathUnits];
    wchar_t (&displayName)[kPathUnits];
    const SettingRow& setting;
    int nameField;
};

FileSetting ProgramFile() {
    return {programFileDialog, programPath, programDisplayName, SettingNamed(value::PROGRAM), IDC_SET_PROGRAM_NAME};
}

FileSetting SoundFile() {
    return {soundFileDialog, soundPath, soundDisplayName, SettingNamed(value::MY_SOUND), IDC_SET_SOUND_NAME};
}

void Enable(HWND window, int id, bool enable) { ::EnableWindow(::GetDlgItem(window, id), enable ? TRUE : FALSE); }

void Check(HWND window, int id, bool checked) { ::CheckDlgButton(window, id, checked ? BST_CHECKED : BST_UNCHECKED); }

std::uint32_t CheckedState(HWND window, int id) { return ::IsDlgButtonChecked(window, id) == BST_CHECKED ? 1 : 0; }

// An action of the table that does not sleep: no resume mode applies to it.
// A stored value outside the table leaves the resume controls as they are.
bool EndsSession(EndAction action) {
    const EndActionFacts* facts = FactsOf(action);
    return facts != nullptr && !facts->sleeps;
}

void ApplySoundRow(HWND window, SoundMode mode) {
    const std::optional<SoundControls> row = SoundControlsFor(mode);
    if (!row) return;
    Enable(window, IDC_SET_EXPLOSION, row->explosion);
    Enable(window, IDC_SET_SECONDS, row->seconds);
    Enable(window, IDC_SET_SOUND_NAME, row->soundName);
    Enable(window, IDC_SET_CHOOSE_SOUND, row->chooseSound);
}

void ShowFileName(HWND window, const FileSetting& file) {
    CopyText(file.displayName, FileNamePart(file.path));
    ::SetDlgItemTextW(window, file.nameField, file.displayName);
}

void PrepareFileChoice(HWND window, const FileSetting& file) {
    file.record = OPENFILENAMEW{};
    file.record.lStructSize = sizeof(OPENFILENAMEW);
    file.record.hwndOwner = window;
    file.record.lpstrFile = file.path;
    file.record.nMaxFile = static_cast<DWORD>(std::size(file.path));
    file.record.Flags = kOpenFileFlags;
    CopyText(file.path, file.setting.getText(App()).c_str());
    ShowFileName(window, file);
}

// "...": the current path is offered as the initial file name. A file chosen
// replaces the setting; a cancel (or a failed dialog) clears it.
void ChooseFile(HWND window, const FileSetting& file) {
    CopyText(file.path, file.setting.getText(App()).c_str());
    if (Sys().OpenFileDialog(file.record) == ERROR_SUCCESS) {
        file.path[kPathUnits - 1] = L'\0';  // whatever the dialog wrote ends in the buffer
    } else {
        file.path[0] = L'\0';
    }
    SaveText(file.setting, file.path);
    ShowFileName(window, file);
    UpdateSummary();
}

const ResumeRadio* ResumeRadioOf(int id) {
    for (const ResumeRadio& radio : kResumeRadios) {
        if (radio.id == id) return &radio;
    }
    return nullptr;
}

void OnResumeMode(HWND window, const ResumeRadio& chosen) {
    SaveNumber(SettingNamed(value::NEXT_REG), static_cast<std::uint32_t>(chosen.mode));
    // The buttons sit in two radio groups, so the dialog manager clears only
    // the chosen button's own group; every other button is cleared here.
    for (const ResumeRadio& radio : kResumeRadios) {
        if (radio.id != chosen.id) Check(window, radio.id, false);
    }
    SetProgramControlsEnabled(RunsProgram(chosen.mode));
    UpdateSummary();
}

// Registers the program to start at log-on, or switches that off.
void RegisterAtStartup(bool checked) {
    wchar_t path[kPathUnits] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
    // A path that did not fit comes back cut (and, on XP, unterminated): it
    // names some other file, which must not be started at log-on.
    if (length == 0 || length >= std::size(path)) path[0] = L'\0';
    WriteStartupEntry(checked ? path : L"");
}

const CheckBox* CheckBoxOf(int id) {
    for (const CheckBox& box : kCheckBoxes) {
        if (box.id == id) return &box;
    }
    return nullptr;
}

void OnCheckBox(HWND window, const CheckBox& box) {
    const std::uint32_t checked = CheckedState(window, box.id);
    if (box.beforeSave != nullptr) box.beforeSave(checked != 0);
    SaveNumber(box.setting, checked);
    UpdateSummary();
}

void OnArguments(HWND window) {
    // One unit more than the setting holds, so that a cut is made by
    // CopyText, which never leaves half a surrogate pair.
    wchar_t shown[kPathUnits + 1] = {};
    ::GetDlgItemTextW(window, IDC_SET_ARGUMENTS, shown, static_cast<int>(std::size(shown)));
    wchar_t arguments[kPathUnits];
    CopyText(arguments, shown);
    SaveText(SettingNamed(value::PROGRAM_COMMANDLINE), arguments);
    UpdateSummary();
}

void OnSound(HWND window, SoundMode mode) {
    SaveNumber(SettingNamed(value::SOUND), static_cast<std::uint32_t>(mode));
    ApplySoundRow(window, mode);
    UpdateSummary();
}

void OnSeconds(HWND window) {
    HWND field = ::GetDlgItem(window, IDC_SET_SECONDS);
    SetImeOpen(field, false);
    wchar_t text[32] = {};
    ::GetWindowTextW(field, text, static_cast<int>(std::size(text)));
    const std::int32_t seconds = CountdownFromText(text);
    SaveNumber(SettingNamed(value::COUNTDOWNTIME), static_cast<std::uint32_t>(seconds));
    UpdateSummary();
}

void CloseSettings(HWND window, INT_PTR result) {
    if (HWND main = OpenDialog(programWindows.main)) {
        ::EnableWindow(::GetDlgItem(main, IDC_MAIN_SETTINGS), TRUE);
    }
    ::EndDialog(window, result);
}

void InitSettings(HWND window) {
    if (EndsSession(App().WAYTOEND.load())) DisableResumeControls();
    const SoundMode sound = App().SOUND.load();
    if (sound != SoundMode::TenCount) Enable(window, IDC_SET_EXPLOSION, false);
    // Enables what DisableResumeControls has just disabled when a program is
    // to run: the resume buttons stay off, the program controls come back. A
    // stored value outside the modes leaves them as they are.
    const ResumeMode resume = App().NEXT_REG.load();
    if (FactsOf(resume) != nullptr) SetProgramControlsEnabled(RunsProgram(resume));
    ApplySoundRow(window, sound);

    PrepareFileChoice(window, ProgramFile());
    PrepareFileChoice(window, SoundFile());

    // Both edits report the new text, so their handlers run here and write
    // COUNTDOWNTIME and PROGRAM_COMMANDLINE back as shown.
    wchar_t seconds[kCountdownTextUnits];
    CountdownText(App().COUNTDOWNTIME.load(), seconds);
    ::SetDlgItemTextW(window, IDC_SET_SECONDS, seconds);
    wchar_t arguments[kPathUnits];
    App().PROGRAM_COMMANDLINE.CopyTo(arguments);
    ::SetDlgItemTextW(window, IDC_SET_ARGUMENTS, arguments);

    const auto soundIndex = static_cast<std::uint32_t>(App().SOUND.load());
    if (soundIndex < std::size(kSoundRadios)) {
        Check(window, kSoundRadios[soundIndex], true);
    } else {
        App().SOUND = SoundMode::TenCount;  // the registry keeps its value
        Check(window, IDC_SET_TEN_COUNT, true);
    }
    for (const ResumeRadio& radio : kResumeRadios) {
        if (radio.mode == resume) Check(window, radio.id, true);
    }
    for (const CheckBox& box : kCheckBoxes) {
        if (box.setting.getNumber(App()) != 0) Check(window, box.id, true);
    }

    HWND field = ::GetDlgItem(window, IDC_SET_SECONDS);
    HWND spin = ::GetDlgItem(window, IDC_SET_SECONDS_SPIN);
    ::SendMessageW(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(field), 0);
    ::SendMessageW(spin, UDM_SETRANGE, 0, MAKELPARAM(kCountdownLargest, 0));
    ::SendMessageW(field, EM_LIMITTEXT, kCountdownDigits, 0);
}

void OnCommand(HWND window, int id) {
    switch (id) {
        case IDC_SET_OK:
            CloseSettings(window, IDOK);
            break;
        case IDC_SET_ARGUMENTS:
            OnArguments(window);
            break;
        case IDC_SET_CHOOSE_PROGRAM:
            ChooseFile(window, ProgramFile());
            break;
        case IDC_SET_CHOOSE_SOUND:
            ChooseFile(window, SoundFile());
            break;
        case IDC_SET_SILENT:
            OnSound(window, SoundMode::Silent);
            break;
        case IDC_SET_TEN_COUNT:
            OnSound(window, SoundMode::TenCount);
            break;
        case IDC_SET_HEARTBEAT:
            OnSound(window, SoundMode::Heartbeat);
            break;
        case IDC_SET_BEEP:
            OnSound(window, SoundMode::Beep);
            break;
        case IDC_SET_CHOSEN_SOUND:
            OnSound(window, SoundMode::ChosenSound);
            break;
        case IDC_SET_SECONDS:
            OnSeconds(window);
            break;
        default:  // IDCANCEL too: Esc leaves the dialog open
            if (const ResumeRadio* radio = ResumeRadioOf(id)) {
                OnResumeMode(window, *radio);
            } else if (const CheckBox* box = CheckBoxOf(id)) {
                OnCheckBox(window, *box);
            }
            break;
    }
}

}  // namespace

INT_PTR CALLBACK SettingsDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    KeepHiddenBehindIcon(message, lParam);
    // Recorded first, so other parts reach the dialog from its first message
    // on (its own initialisation included); forgotten as the window goes away.
    programWindows.settings = message == WM_NCDESTROY ? nullptr : window;
    switch (message) {
        case WM_INITDIALOG:
            CalmButtonHover(window);
            InitSettings(window);
            return FALSE;
        case WM_COMMAND:
            OnCommand(window, LOWORD(wParam));
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
    ::DialogBoxParamW(App().instance, MAKEINTRESOURCEW(IDD_SETTINGS), nullptr, GuardedDialogProc<SettingsDialogProc>,
                      0);
    programWindows.settings = nullptr;
}
