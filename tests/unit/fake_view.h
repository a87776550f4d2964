// A view that records what the operations report instead of showing it, and
// answers their requests at once on the worker's own thread, so an operation
// is tested with no window at all.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "schedule/operations.h"
#include "state/app_state.h"
#include "state/view.h"

class FakeView final : public View {
public:
    void ShowCaption(Operation operation, const wchar_t* caption) override {
        std::lock_guard<std::mutex> hold(lock);
        captions.push_back({operation, caption});
    }
    void LockRunControls(bool enable, std::optional<Operation> except) override {
        std::lock_guard<std::mutex> hold(lock);
        locks.push_back({enable, except});
    }
    void ShowTimeLeft(std::int32_t hours, std::int32_t minutes, std::int32_t seconds) override {
        std::lock_guard<std::mutex> hold(lock);
        timeLeft.push_back(hours * 3600 + minutes * 60 + seconds);
    }
    int ShowBox(const wchar_t* text, const wchar_t*, UINT) override {
        {
            std::lock_guard<std::mutex> hold(lock);
            boxes.emplace_back(text);
        }
        if (onBox) onBox();  // while the box is "open"
        return IDOK;
    }
    // The main window's answer, given where it is asked.
    bool ReturnToIdle(Operation operation, std::uint32_t generation) override {
        std::lock_guard<std::mutex> hold(answering);
        return AnswerReturnToIdle(operation, generation, App());
    }
    void ArmWake() override { ++wakeRequests; }
    void StartScheduledEnd() override { ++scheduledEndRequests; }
    void RestartScheduledEnd(std::uint32_t) override { ++scheduledEndRestarts; }
    void MinimizeWhenShown() override {}
    void TestMessageClosed() override {}
    void EndActionRefused(EndAction, DWORD error) override { refusals.push_back(error); }
    // Shown only while its run stands, as the window checks it.
    void ShowCountdown(const CountdownShown& countdown) override {
        if (!CountdownStands(countdown.operation, countdown.generation)) return;
        {
            std::lock_guard<std::mutex> hold(lock);
            countdowns.push_back(countdown);
        }
        if (onCountdown) onCountdown(countdown);  // a click while it is shown
    }
    void HideCountdown(Operation operation) override {
        std::lock_guard<std::mutex> hold(lock);
        hidden.push_back({operation, countdowns.size()});
    }

    struct Caption {
        Operation operation;
        std::wstring text;
    };
    struct Locking {
        bool enable;
        std::optional<Operation> except;
    };
    std::mutex lock;
    std::vector<Caption> captions;
    std::vector<Locking> locks;
    std::vector<std::int32_t> timeLeft;
    std::vector<std::wstring> boxes;
    std::vector<DWORD> refusals;
    int wakeRequests = 0;
    int scheduledEndRequests = 0;
    std::function<void()> onBox;
    std::vector<CountdownShown> countdowns;
    struct Hiding {
        Operation operation;
        std::size_t after;  // how many showings came before it
    };
    std::vector<Hiding> hidden;
    std::function<void(const CountdownShown&)> onCountdown;
    std::atomic<int> scheduledEndRestarts{0};

private:
    std::mutex answering;
};
