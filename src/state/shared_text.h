// A fixed-size UTF-16 text that the GUI thread and worker threads share. Every
// read and write takes a small lock and copies the whole text, so no reader
// ever sees half of one text and half of another. Nobody calls into a window
// while holding the lock.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <string>

#include "platform/critical_section.h"
#include "platform/text.h"

template <std::size_t N>
class SharedText {
public:
    static constexpr std::size_t kCapacity = N;

    void Set(const wchar_t* text) {
        Lock hold(lock_);
        CopyText(text_, N, text);
    }

    // Formats into the text (wide arguments are written %ls).
    template <typename... Args>
    void Format(const wchar_t* format, Args... args) {
        wchar_t scratch[N];
        FormatText(scratch, N, format, args...);
        Set(scratch);
    }

    void Clear() { Set(L""); }

    // Copies the whole text into a buffer of the caller's (cut if smaller).
    void CopyTo(wchar_t* dest, std::size_t capacity) const {
        Lock hold(lock_);
        CopyText(dest, capacity, text_);
    }
    template <std::size_t M>
    void CopyTo(wchar_t (&dest)[M]) const {
        CopyTo(dest, M);
    }

    // Copies another shared text in, taking one lock at a time.
    template <std::size_t M>
    void SetFrom(const SharedText<M>& other) {
        wchar_t scratch[M];
        other.CopyTo(scratch);
        Set(scratch);
    }

    std::wstring Get() const {
        Lock hold(lock_);
        return std::wstring(text_);
    }

    bool Empty() const {
        Lock hold(lock_);
        return text_[0] == L'\0';
    }

private:
    mutable CriticalSection lock_;
    wchar_t text_[N] GUARDED_BY(lock_) = {};
};
