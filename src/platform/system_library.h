// Libraries of the system folder loaded at run time, by their full path.
// A program started from a folder that others can write to (a download
// folder) must never load a DLL found there in place of the system's: every
// library that is not a known DLL on each Windows the program runs on is
// loaded this way instead of being imported (scripts/check-imports.sh keeps
// the imports to the safe ones).
#pragma once

#include <windows.h>

#include <atomic>

// Loads `name` (e.g. L"winmm.dll") from the system folder by its full path;
// the libraries it imports in turn are looked for in the system folder first
// too, never beside the program. The library stays loaded until the process
// ends. nullptr when the folder's path does not fit or the load fails.
HMODULE LoadSystemLibrary(const wchar_t* name);

// A function of a system library that is loaded when first asked for (or
// ahead with Get, where the first use must not wait for the load). Two
// threads resolving at once both get the same address. A function found
// missing is not looked for again: callers may ask on every step of a loop.
template <typename Function>
class LateFunction {
public:
    LateFunction(const wchar_t* dll, const char* name) : dll_(dll), name_(name) {}

    // The function, or nullptr when its library or the function is missing.
    Function Get() {
        if (resolved_.load()) return function_.load();
        const Function function = Resolve();
        function_.store(function);
        resolved_.store(true);
        return function;
    }

private:
    Function Resolve() const {
        HMODULE module = LoadSystemLibrary(dll_);
        if (module == nullptr) return nullptr;
        // NOLINTNEXTLINE(bugprone-casting-through-void): the exported function has this type
        return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name_)));
    }

    const wchar_t* dll_;
    const char* name_;
    std::atomic<Function> function_{nullptr};
    std::atomic<bool> resolved_{false};
};
