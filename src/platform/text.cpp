// Bounded text operations on fixed UTF-16 buffers.
#include "platform/text.h"

#include <windows.h>

#include <cstdarg>
#include <vector>

namespace {

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }

}  // namespace

void CopyText(wchar_t* dest, std::size_t capacity, const wchar_t* src) {
    if (capacity == 0) return;
    std::size_t n = 0;
    if (src) {
        while (n + 1 < capacity && src[n] != L'\0') {
            dest[n] = src[n];
            ++n;
        }
        // Cut before a pair whose second half did not fit.
        if (src[n] != L'\0' && n > 0 && IsHighSurrogate(dest[n - 1])) --n;
    }
    dest[n] = L'\0';
}

void FormatText(wchar_t* dest, std::size_t capacity, const wchar_t* format, ...) {
    if (capacity == 0) return;
    // Formatting into a scratch buffer that grows until the whole text fits
    // gives a defined cut whatever the runtime does on overflow.
    std::vector<wchar_t> scratch(capacity < 256 ? 256 : capacity);
    for (;;) {
        va_list args;
        va_start(args, format);
        const int written = std::vswprintf(scratch.data(), scratch.size(), format, args);
        va_end(args);
        if (written >= 0 && static_cast<std::size_t>(written) < scratch.size()) break;
        if (scratch.size() >= (1u << 20)) {  // a format that can never fit
            scratch[0] = L'\0';
            break;
        }
        scratch.resize(scratch.size() * 4);
    }
    CopyText(dest, capacity, scratch.data());
}

const wchar_t* FileNamePart(const wchar_t* path) {
    const wchar_t* name = path;
    for (const wchar_t* p = path; *p != L'\0'; ++p) {
        if (*p == L'\\' || *p == L'/' || *p == L':') name = p + 1;
    }
    return name;
}

bool SystemErrorText(unsigned long error, wchar_t* dest, std::size_t capacity) {
    if (capacity == 0) return false;
    dest[0] = L'\0';
    const DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                          dest, static_cast<DWORD>(capacity), nullptr);
    std::size_t end = length < capacity ? length : capacity - 1;
    while (end > 0 && (dest[end - 1] == L'\r' || dest[end - 1] == L'\n' || dest[end - 1] == L' ')) --end;
    dest[end] = L'\0';
    return end > 0;
}
