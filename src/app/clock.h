// The clock line of the main window: a worker that rewrites IDC_MAIN_CLOCK
// once a second for the life of the process.
#pragma once

#include <windows.h>

#include <cstddef>
#include <ctime>

inline constexpr std::size_t kClockLineUnits = 50;

// "現在： 9時5分7秒 （2026年12月5日[土曜])": numbers without leading zeros.
void FormatClockLine(const std::tm& now, wchar_t (&line)[kClockLineUnits]);

// The main window tells the clock whether it is seen (visible and not
// minimised). While it is not, the clock thread writes nothing; when it is
// seen again the line is written at once, on the calling thread.
void SetClockLineSeen(HWND main, bool seen);

// Starts the clock thread (detached; it ends with the process).
void StartClockThread();
