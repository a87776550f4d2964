// The seam to the running processes: their ids and the path of each one's
// main module. Tests install a fake list so that the wait for a program and
// the process combo run against processes of their choosing.
#pragma once

#include <windows.h>

#include <cstddef>

class ProcessSource {
public:
    virtual ~ProcessSource() = default;

    // Writes the ids of the running processes into `ids`, at most `capacity`
    // of them (the rest are left out), and returns how many it wrote.
    virtual std::size_t ProcessIds(DWORD* ids, std::size_t capacity) = 0;

    // The full path of the process's first module, cut to `capacity` units
    // with a terminator; false with an empty path when the process cannot be
    // opened or its module cannot be read.
    virtual bool ModulePath(DWORD id, wchar_t* path, std::size_t capacity) = 0;
};

// The source in force: the real processes unless a test installed another.
ProcessSource& Processes();

// Installs a replacement (nullptr restores the real one) before any thread
// that lists processes is started.
void InstallProcesses(ProcessSource* replacement);
