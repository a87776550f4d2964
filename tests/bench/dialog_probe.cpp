// Reference programs for the benchmark (scripts/bench.sh), what the program
// is compared with:
//   template  the program's own main-window template from its resources
//             (linked in), shown by a procedure that only ends on close
//   empty     a dialog with one button, built in memory
//   check     a dialog with one check box, built in memory; themed when the
//             executable carries the program's common-controls 6 manifest
#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <cwchar>
#include <vector>

#include "res/resource.h"

namespace {

INT_PTR CALLBACK EndOnClose(HWND window, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_CLOSE || (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL)) {
        ::EndDialog(window, 0);
        return TRUE;
    }
    return FALSE;
}

// A dialog template in memory: the header, then one button-class control,
// both in the program's dialog font.
class MemoryTemplate {
public:
    MemoryTemplate(const wchar_t* title, DWORD controlStyle, const wchar_t* controlText) {
        Add32(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_SETFONT | DS_MODALFRAME);
        Add32(0);
        Add16(1);  // one control
        for (short value : {200, 200, 160, 60}) Add16(static_cast<WORD>(value));
        Add16(0);  // no menu
        Add16(0);  // the dialog class
        AddText(title);
        Add16(9);
        AddText(L"MS UI Gothic");
        while (words_.size() % 2 != 0) Add16(0);  // items start on a DWORD
        Add32(WS_CHILD | WS_VISIBLE | WS_TABSTOP | controlStyle);
        Add32(0);
        for (short value : {20, 20, 100, 14}) Add16(static_cast<WORD>(value));
        Add16(IDCANCEL);
        Add16(0xFFFF);
        Add16(0x0080);  // the button class
        AddText(controlText);
        Add16(0);  // no creation data
    }
    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    void Add16(WORD value) { words_.push_back(value); }
    void Add32(DWORD value) {
        Add16(LOWORD(value));
        Add16(HIWORD(value));
    }
    void AddText(const wchar_t* text) {
        for (; *text != L'\0'; ++text) Add16(static_cast<WORD>(*text));
        Add16(0);
    }
    std::vector<WORD> words_;  // WORD-aligned by its allocator
};

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    // As the program does, so that templates holding common controls load.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_UPDOWN_CLASS};
    ::InitCommonControlsEx(&controls);
    if (std::wcsstr(commandLine, L"template") != nullptr) {
        return static_cast<int>(::DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_MAIN), nullptr, EndOnClose, 0));
    }
    const bool check = std::wcsstr(commandLine, L"check") != nullptr;
    const MemoryTemplate dialog(check ? L"bench check" : L"bench empty", check ? BS_AUTOCHECKBOX : BS_DEFPUSHBUTTON,
                                check ? L"check" : L"OK");
    return static_cast<int>(::DialogBoxIndirectParamW(instance, dialog.get(), nullptr, EndOnClose, 0));
}
