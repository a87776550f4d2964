// The real processes behind the seam, through the process status library.
#include "platform/processes.h"

// Version 1 takes the functions from psapi.dll, as Windows XP has them; later
// versions would import the K32 names from kernel32, which XP lacks.
#ifndef PSAPI_VERSION
#define PSAPI_VERSION 1
#endif
#include <psapi.h>

#include <atomic>

#include "platform/handle.h"

namespace {

class RealProcesses final : public ProcessSource {
public:
    std::size_t ProcessIds(DWORD* ids, std::size_t capacity) override {
        DWORD bytes = 0;
        if (!::EnumProcesses(ids, static_cast<DWORD>(capacity * sizeof(DWORD)), &bytes)) return 0;
        const std::size_t count = bytes / sizeof(DWORD);
        return count < capacity ? count : capacity;
    }

    bool ModulePath(DWORD id, wchar_t* path, std::size_t capacity) override {
        if (capacity == 0) return false;
        path[0] = L'\0';
        const OwnedHandle process(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id));
        if (!process) return false;
        // The first module listed is the executable; one slot is enough, the
        // call fills what fits.
        HMODULE modules[1] = {};
        DWORD needed = 0;
        if (!::EnumProcessModules(process.get(), modules, sizeof modules, &needed) || modules[0] == nullptr) {
            return false;
        }
        const DWORD length = ::GetModuleFileNameExW(process.get(), modules[0], path, static_cast<DWORD>(capacity));
        // A path cut at the buffer's end may come back without its
        // terminator on older systems.
        path[length < capacity ? length : capacity - 1] = L'\0';
        return length != 0;
    }
};

RealProcesses realProcesses;
std::atomic<ProcessSource*> current{&realProcesses};

}  // namespace

ProcessSource& Processes() { return *current.load(); }

void InstallProcesses(ProcessSource* replacement) { current.store(replacement ? replacement : &realProcesses); }
