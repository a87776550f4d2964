// Move-only owners for Win32 handles: one template, one traits type per kind.
// Borrowed window handles stay raw HWNDs; everything the program must close is
// held by one of these.
#pragma once

#include <windows.h>

#include <utility>

template <typename Traits>
class UniqueHandle {
public:
    using Type = typename Traits::Type;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Type value) noexcept : value_(value) {}
    UniqueHandle(UniqueHandle&& other) noexcept : value_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    Type get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return value_ != Traits::Invalid(); }

    Type release() noexcept { return std::exchange(value_, Traits::Invalid()); }

    void reset(Type value = Traits::Invalid()) noexcept {
        Type old = std::exchange(value_, value);
        if (old != Traits::Invalid()) Traits::Close(old);
    }

    // Releases the current value first, so an out-parameter can never leak.
    Type* put() noexcept {
        reset();
        return &value_;
    }

private:
    Type value_ = Traits::Invalid();
};

// A handle whose "none" is NULL, given back with `close`.
template <typename T, auto close>
struct NullHandleTraits {
    using Type = T;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type h) noexcept { close(h); }
};

// A Toolhelp snapshot is closed like any kernel handle, but its creation
// reports failure as INVALID_HANDLE_VALUE, not NULL.
struct SnapshotHandleTraits {
    using Type = HANDLE;
    static Type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) noexcept { ::CloseHandle(h); }
};

// Events, mutexes, threads, processes and timers: NULL means "no handle".
using OwnedHandle = UniqueHandle<NullHandleTraits<HANDLE, ::CloseHandle>>;
using OwnedKey = UniqueHandle<NullHandleTraits<HKEY, ::RegCloseKey>>;
using OwnedSnapshot = UniqueHandle<SnapshotHandleTraits>;
// A font made with CreateFontIndirect, deleted once no window uses it.
using OwnedFont = UniqueHandle<NullHandleTraits<HFONT, ::DeleteObject>>;
// An icon loaded at a size of its own (not shared), destroyed once no window
// shows it.
using OwnedIcon = UniqueHandle<NullHandleTraits<HICON, ::DestroyIcon>>;

// A device context taken with GetDC (of a window, or of the whole screen for
// nullptr) and given back with ReleaseDC by the thread that took it.
class WindowDC {
public:
    explicit WindowDC(HWND window) noexcept : window_(window), dc_(::GetDC(window)) {}
    ~WindowDC() {
        if (dc_ != nullptr) ::ReleaseDC(window_, dc_);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;

    HDC get() const noexcept { return dc_; }
    explicit operator bool() const noexcept { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};
