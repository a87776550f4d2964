// A stand-in for the running processes: a list of ids and executable names in
// the order the system would list them; an empty name is a process the list
// gives no name. `fails` makes each snapshot fail after visiting the list, as
// a walk that breaks off would. Safe to change while a worker lists.
#pragma once

#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

#include "platform/processes.h"

struct FakeProcess {
    DWORD id;
    std::wstring exeFile;
};

class FakeProcesses : public ProcessSource {
public:
    bool ListRunning(ProcessVisitor& visitor) override {
        std::lock_guard<std::mutex> hold(lock);
        for (const FakeProcess& process : list) visitor.Visit(process.id, process.exeFile.c_str());
        return !fails;
    }
    // Lists `exeFiles` as processes 0, 1, 2, ...
    void Name(const std::vector<std::wstring>& exeFiles) {
        std::lock_guard<std::mutex> hold(lock);
        list.clear();
        for (const std::wstring& exeFile : exeFiles) list.push_back({static_cast<DWORD>(list.size()), exeFile});
    }
    std::mutex lock;
    std::vector<FakeProcess> list;
    bool fails = false;
};
