// The program's one lock: a Win32 critical section, with clang's thread-safety
// annotations so that -Wthread-safety proves every guarded field is touched
// only under its lock. The program is built with the win32-thread runtime,
// which has no std::mutex; a critical section exists on every Windows it
// supports.
#pragma once

#include <windows.h>

#if defined(__clang__)
#define QM_THREAD_ANNOTATION(x) __attribute__((x))
#else
#define QM_THREAD_ANNOTATION(x)
#endif

#define CAPABILITY(x) QM_THREAD_ANNOTATION(capability(x))
#define SCOPED_CAPABILITY QM_THREAD_ANNOTATION(scoped_lockable)
#define GUARDED_BY(x) QM_THREAD_ANNOTATION(guarded_by(x))
#define REQUIRES(...) QM_THREAD_ANNOTATION(requires_capability(__VA_ARGS__))
#define ACQUIRE(...) QM_THREAD_ANNOTATION(acquire_capability(__VA_ARGS__))
#define RELEASE(...) QM_THREAD_ANNOTATION(release_capability(__VA_ARGS__))
#define EXCLUDES(...) QM_THREAD_ANNOTATION(locks_excluded(__VA_ARGS__))

// Not recursive by contract (a critical section would allow it, the
// annotations do not). lock()/unlock() make it usable with the standard
// guards too; the program uses Lock below, which the analysis understands.
class CAPABILITY("critical section") CriticalSection {
public:
    CriticalSection() noexcept { ::InitializeCriticalSection(&section_); }
    ~CriticalSection() { ::DeleteCriticalSection(&section_); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    void lock() ACQUIRE() { ::EnterCriticalSection(&section_); }
    void unlock() RELEASE() { ::LeaveCriticalSection(&section_); }

private:
    CRITICAL_SECTION section_;
};

// Holds a critical section for the rest of the enclosing scope.
class SCOPED_CAPABILITY Lock {
public:
    explicit Lock(CriticalSection& section) ACQUIRE(section) : section_(section) { section_.lock(); }
    ~Lock() RELEASE() { section_.unlock(); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

private:
    CriticalSection& section_;
};
