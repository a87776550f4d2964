// The wait for a program: the end action is carried out once every process of
// the program chosen in the manual operations dialog has exited. Programs are
// named by their executable's file name without extension.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "schedule/moments.h"
#include "state/settings.h"

inline constexpr std::size_t kProcessNameUnits = 50;
inline constexpr std::size_t kMaxProcesses = 1024;

// One process of a snapshot.
struct ProcessEntry {
    DWORD id;
    bool named;                       // false when the list gave the process no name
    wchar_t name[kProcessNameUnits];  // its program name; empty when it has none
};

// A snapshot of at most kMaxProcesses processes (about 110 KB).
struct ProcessTable {
    ProcessEntry entries[kMaxProcesses];
    std::size_t count;
};

// The processes the wait counts as the program it waits for, by id: the
// first kMaxProcesses of its instances.
struct CountedProcesses {
    DWORD ids[kMaxProcesses];
    std::size_t count;
};

// Cuts `text` in place before its first "."; the whole text stays when it
// has none.
void StripExtension(wchar_t* text);

// The name a program is listed and matched under: the file-name part of
// `path` up to its first ".", cut to the name field. The list and the wait
// both name processes this way, so a listed name always matches its process.
void ProgramNameOf(const wchar_t* path, wchar_t (&name)[kProcessNameUnits]);

// Fills `table` with a snapshot of the running processes, the first
// kMaxProcesses the system lists. False, with an empty table, when no list
// could be taken: that tells nothing about which processes run.
bool ListProcesses(ProcessTable& table);

// Whether a process of the table, the first included, is named `name`, the
// letter case aside, as Windows matches file names. An empty name is never
// found.
bool ProgramFound(const ProcessTable& table, const wchar_t* name);

// Counts the program named `name` again from a fresh list of every running
// process, however many there are (the table's cut is for the combo alone):
// a process of that name counts, the letter case aside; a process counted
// before still counts while its id is listed without a name (its name could
// not be read this time); an id listed under another name belongs to another
// program now and counts no more. False, with `counted` as it was, when no
// complete list could be taken.
bool CountRunningProgram(const wchar_t* name, CountedProcesses& counted);

// Handler of the wait's button (GUI thread): starts the wait for `program`,
// the name selected in the process combo, or cancels the running wait. An
// empty name starts nothing. `moments` is what the main window's combos
// choose, for the check before arming. The run follows `settings` (the live
// record) to its end.
void ToggleWaitProgram(const wchar_t* program, const ChosenMoments& moments, const Settings& settings);

// GUI thread, 延長 from the count-down window once the program has gone:
// while run `generation` stands, the end comes 10 minutes after the program
// ended (each further 延長, 10 minutes later again). Whether it did.
bool ExtendWaitProgram(std::uint32_t generation, const Settings& settings);

DWORD WINAPI WaitProgramProc(void* start);
