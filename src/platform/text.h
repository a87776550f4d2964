// Bounded text operations on fixed UTF-16 buffers. Every call takes the size
// of its destination, cuts what does not fit and always leaves a terminator.
#pragma once

#include <cstddef>
#include <cwchar>

// Copies src into dest (capacity in units, terminator included). A cut never
// leaves the first half of a surrogate pair dangling at the end.
void CopyText(wchar_t* dest, std::size_t capacity, const wchar_t* src);

template <std::size_t N>
void CopyText(wchar_t (&dest)[N], const wchar_t* src) {
    CopyText(dest, N, src);
}

// Formats into dest like swprintf (so wide arguments are written %ls), cutting
// at the buffer's end instead of failing.
void FormatText(wchar_t* dest, std::size_t capacity, const wchar_t* format, ...);

template <std::size_t N, typename... Args>
void FormatText(wchar_t (&dest)[N], const wchar_t* format, Args... args) {
    FormatText(dest, N, format, args...);
}

// The part of a path after its last separator ('\\', '/' or ':'); the whole
// text when it has none, and empty for an empty path.
const wchar_t* FileNamePart(const wchar_t* path);

// The system's own words for an error code (FormatMessageW, in the user's
// language), without the line break they end in. False, with an empty text,
// when the system has no words for it.
bool SystemErrorText(unsigned long error, wchar_t* dest, std::size_t capacity);
