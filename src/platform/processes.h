// The seam to the running processes: the system's list of them, each by its
// id and the file name of its executable. The names come from the list the
// system keeps, not from the processes themselves, so no process has to be
// opened or read: an elevated process, or a 64-bit one seen from the 32-bit
// program, is named like any other. The list holds the processes of every
// session, and the wait for a program counts them all: a shutdown, reboot or
// sleep ends another signed-in user's instance as well, and a standard user
// cannot read the session of another user's process (nor, unelevated, that
// of an elevated one of its own), so leaving some out could only end a wait
// early. Tests install a fake list so that the wait for a program and the
// process combo run against processes of their choosing.
#pragma once

#include <windows.h>

// Receives the processes of one list, in the order the system lists them.
class ProcessVisitor {
public:
    // `exeFile` is the file name of the process's executable (a full path is
    // allowed too), terminated; empty when the list gives it no name.
    virtual void Visit(DWORD id, const wchar_t* exeFile) = 0;

protected:
    ProcessVisitor() = default;
    ProcessVisitor(const ProcessVisitor&) = default;
    ProcessVisitor& operator=(const ProcessVisitor&) = default;
    ~ProcessVisitor() = default;
};

class ProcessSource {
public:
    virtual ~ProcessSource() = default;

    // Takes one list of the running processes and hands every process in it
    // to `visitor`. False when no complete list could be taken: whatever was
    // visited then is no list of the running processes and must be dropped.
    virtual bool ListRunning(ProcessVisitor& visitor) = 0;
};

// Whether two program names are the same as Windows matches file names:
// ordinally, unit by unit, with the letter case ignored by the system's own
// upper-case table, never by a language's sorting rules.
bool SameProgramName(const wchar_t* a, const wchar_t* b);

// The source in force: the real processes unless a test installed another.
ProcessSource& Processes();

// Installs a replacement (nullptr restores the real one) before any thread
// that lists processes is started.
void InstallProcesses(ProcessSource* replacement);
