// The operations' view over the program's windows. A worker reaches the
// windows only through messages to the main window or the lookup of a live
// window (OpenDialog), so a window that has closed is simply not written.
#include "app/window_view.h"

#include "dialogs/dialogs.h"
#include "platform/system.h"
#include "platform/windows.h"
#include "state/app_state.h"
#include "state/messages.h"
#include "schedule/operations.h"
#include "ui/controls.h"
#include "ui/countdown_window.h"
#include "ui/locking.h"
#include "ui/program_windows.h"

namespace {

class Windows final : public View {
public:
    void ShowCaption(Operation operation, const wchar_t* caption) override {
        const OperationButton button = ButtonOf(operation);
        if (button.inManualDialog) KeepManualCaption(operation, caption);
        if (HWND window = OpenDialog(button.inManualDialog ? programWindows.manual : programWindows.main)) {
            ::SetDlgItemTextW(window, button.id, caption);
        }
    }

    void LockRunControls(bool enable, std::optional<Operation> except) override {
        ::LockRunControls(enable ? 1 : 0, except ? ButtonOf(*except).id : 0);
    }

    void ShowTimeLeft(std::int32_t hours, std::int32_t minutes, std::int32_t seconds) override {
        if (HWND manual = OpenDialog(programWindows.manual)) ShowManualTimeLeft(manual, hours, minutes, seconds);
    }

    int ShowBox(const wchar_t* text, const wchar_t* caption, UINT style) override {
        return Sys().ShowMessage(OpenDialog(programWindows.main), text, caption, style);
    }

    bool ReturnToIdle(Operation operation, std::uint32_t generation) override {
        return Send(WM_RETURNTOIDLE, static_cast<WPARAM>(operation), static_cast<LPARAM>(generation)) == TRUE;
    }
    void ArmWake() override { Send(WM_ARMWAKE, 0, 0); }
    void StartScheduledEnd() override { Send(WM_STARTSCHEDULEDEND, 0, 0); }
    void RestartScheduledEnd(std::uint32_t generation) override {
        Send(WM_RESTARTSCHEDULEDEND, static_cast<WPARAM>(generation), 0);
    }
    void MinimizeWhenShown() override {
        if (HWND main = OpenDialog(programWindows.main)) {
            // The dialog manager shows the main window when its loop first
            // goes idle; hiding it before that would only have it shown again.
            for (int i = 0; i < 100 && !::IsWindowVisible(main); ++i) ::Sleep(50);
            ::SendMessageW(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        }
    }
    void TestMessageClosed() override { Send(WM_TESTMESSAGECLOSED, 0, 0); }
    void EndActionRefused(EndAction action, DWORD error) override {
        Send(WM_ENDACTIONREFUSED, static_cast<WPARAM>(action), static_cast<LPARAM>(error));
    }

    void ShowCountdown(const CountdownShown& countdown) override {
        if (HWND window = programWindows.countdown.load()) {
            ::SendMessageW(window, WM_SHOWCOUNTDOWN, 0, reinterpret_cast<LPARAM>(&countdown));
        }
    }
    void HideCountdown(Operation operation) override { HideCountdownWindow(operation); }

private:
    // Without the main window the program is closing: nobody is left to ask.
    static LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) {
        HWND main = OpenDialog(programWindows.main);
        return main != nullptr ? ::SendMessageW(main, message, wParam, lParam) : FALSE;
    }
};

}  // namespace

bool MakeCountdownWindow(HINSTANCE instance) {
    static constexpr CountdownHandlers kHandlers{CountdownStands, Extendable, AbortFromTray,
                                                 [](Operation operation, std::uint32_t generation) {
                                                     static_cast<void>(ExtendOperation(operation, generation, App()));
                                                 }};
    return CreateCountdownWindow(instance, kHandlers);
}

View& WindowView() {
    static Windows windows;
    return windows;
}
