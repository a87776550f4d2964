// The real processes behind the seam, through the Toolhelp process snapshot.
// The snapshot names every process by its executable's file name without
// opening it, lists 64-bit processes to a 32-bit caller as well, and exists
// on every Windows the program loads on (Windows XP and later).
#include "platform/processes.h"

#include <tlhelp32.h>

#include <atomic>
#include <iterator>

#include "platform/handle.h"
#include "platform/system_library.h"

namespace {

// A snapshot that fails with ERROR_BAD_LENGTH is to be taken again; a few
// attempts, so that a system that keeps failing cannot hold the caller.
constexpr int kSnapshotAttempts = 3;

OwnedSnapshot TakeProcessSnapshot() {
    for (int attempt = 0; attempt < kSnapshotAttempts; ++attempt) {
        OwnedSnapshot snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
        if (snapshot || ::GetLastError() != ERROR_BAD_LENGTH) return snapshot;
    }
    return OwnedSnapshot();
}

class RealProcesses final : public ProcessSource {
public:
    bool ListRunning(ProcessVisitor& visitor) override {
        const OwnedSnapshot snapshot = TakeProcessSnapshot();
        if (!snapshot) return false;
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof entry;
        // Not even a first entry: this program itself runs, so the snapshot
        // holds no list.
        if (!::Process32FirstW(snapshot.get(), &entry)) return false;
        const DWORD self = ::GetCurrentProcessId();
        bool listsSelf = false;
        for (;;) {
            entry.szExeFile[std::size(entry.szExeFile) - 1] = L'\0';
            listsSelf = listsSelf || entry.th32ProcessID == self;
            visitor.Visit(entry.th32ProcessID, entry.szExeFile);
            if (!::Process32NextW(snapshot.get(), &entry)) break;
        }
        // Only the end of the list ends a complete walk; and a list without
        // this very process is no list of the running processes.
        return ::GetLastError() == ERROR_NO_MORE_FILES && listsSelf;
    }
};

RealProcesses realProcesses;

// CompareStringOrdinal (Windows Vista and later).
using CompareStringOrdinalFunction = int(WINAPI*)(const wchar_t*, int, const wchar_t*, int, BOOL);
LateFunction<CompareStringOrdinalFunction> ordinalCompare{L"kernel32.dll", "CompareStringOrdinal"};

// One unit upper-cased by the system's table, as Windows 2000 and XP upper-case
// file names.
wchar_t UpperUnit(wchar_t unit) {
    wchar_t text[1] = {unit};
    ::CharUpperBuffW(text, 1);
    return text[0];
}
std::atomic<ProcessSource*> current{&realProcesses};

}  // namespace

ProcessSource& Processes() { return *current.load(); }

void InstallProcesses(ProcessSource* replacement) { current.store(replacement ? replacement : &realProcesses); }

bool SameProgramName(const wchar_t* a, const wchar_t* b) {
    if (CompareStringOrdinalFunction compare = ordinalCompare.Get()) return compare(a, -1, b, -1, TRUE) == CSTR_EQUAL;
    for (;; ++a, ++b) {
        if (UpperUnit(*a) != UpperUnit(*b)) return false;
        if (*a == L'\0') return true;
    }
}
