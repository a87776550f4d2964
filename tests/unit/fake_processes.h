// A stand-in for the running processes: listed by path in the order the
// system would list them, ids 0, 1, 2, ...; an empty path is a process that
// cannot be queried. Safe to change while a worker lists.
#pragma once

#include <windows.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "platform/processes.h"

class FakeProcesses : public ProcessSource {
public:
    std::size_t ProcessIds(DWORD* ids, std::size_t capacity) override {
        std::lock_guard<std::mutex> hold(lock);
        for (std::size_t i = 0; i < capacity && i < paths.size(); ++i) ids[i] = static_cast<DWORD>(i);
        return std::min(capacity, paths.size());
    }
    bool ModulePath(DWORD id, wchar_t* path, std::size_t capacity) override {
        std::lock_guard<std::mutex> hold(lock);
        ::lstrcpynW(path, paths.at(id).c_str(), static_cast<int>(capacity));
        return path[0] != L'\0';
    }
    std::mutex lock;
    std::vector<std::wstring> paths;
};
