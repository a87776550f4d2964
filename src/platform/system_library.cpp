// Loading a library of the system folder by its full path.
#include "platform/system_library.h"

#include <cwchar>

#include "platform/text.h"

HMODULE LoadSystemLibrary(const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    wchar_t path[MAX_PATH + 32];
    // A cut path would name another file: refuse a name that does not fit.
    if (length + 1 + std::wcslen(name) >= sizeof path / sizeof path[0]) return nullptr;
    FormatText(path, L"%ls\\%ls", folder, name);
    // With a full path, LOAD_WITH_ALTERED_SEARCH_PATH looks for the library's
    // own imports in its folder (the system's) before any other, where plain
    // LoadLibraryW would look beside the program first. Windows 2000 has it.
    return ::LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
