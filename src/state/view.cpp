// The view in force.
#include "state/view.h"

#include <atomic>

namespace {

class NoView final : public View {
public:
    void ShowCaption(Operation, const wchar_t*) override {}
    void LockRunControls(bool, std::optional<Operation>) override {}
    void ShowTimeLeft(std::int32_t, std::int32_t, std::int32_t) override {}
    int ShowBox(const wchar_t*, const wchar_t*, UINT) override { return 0; }
    bool ReturnToIdle(Operation, std::uint32_t) override { return false; }
    void ArmWake() override {}
    void StartScheduledEnd() override {}
    void RestartScheduledEnd(std::uint32_t) override {}
    void MinimizeWhenShown() override {}
    void TestMessageClosed() override {}
    void EndActionRefused(EndAction, DWORD) override {}
    void ShowCountdown(const CountdownShown&) override {}
    void HideCountdown(Operation) override {}
};

NoView noView;
std::atomic<View*> current{&noView};

}  // namespace

View& TheView() { return *current.load(); }

View* InstallView(View* view) { return current.exchange(view != nullptr ? view : &noView); }
