// The five end actions. Every request goes through the system seam; no result
// is examined, since a refused request leaves the system simply idle again.
#include "power/power_actions.h"

#include "platform/system.h"
#include "res/resource.h"
#include "state/messages.h"
#include "ui/locking.h"
#include "ui/windows.h"

namespace {

constexpr const wchar_t* kTestMessages[kEndActionCount][2] = {
    {L"シャットダウン：強制チェック OFF", L"シャットダウン：強制チェック ON"},
    {L"リブート：強制チェック OFF", L"リブート：強制チェック ON"},
    {L"ログオフ：強制チェック OFF", L"ログオフ：強制チェック ON"},
    {L"スタンバイ：強制チェック OFF", L"スタンバイ：強制チェック ON"},
    {L"休止：強制チェック OFF", L"休止：強制チェック ON"},
};

bool ForceOn() { return app.FORCECHECK.load() != 0; }

bool AllOperationsIdle() {
    return app.scheduledEndIdle != 0 && app.timerEndIdle != 0 && app.waitProgramIdle != 0 && app.wakeIdle != 0;
}

// The test-mode message has no owner, so while it was open the user may have
// started another operation, whose locking must stand. Whether every operation
// is idle is decided on the GUI thread, where operations start: a worker asks
// the main window, so no start can come between the check and the unlocking.
void UnlockAfterTestMessage() {
    HWND main = OpenDialog(app.mainWindow);
    if (main != nullptr && ::GetWindowThreadProcessId(main, nullptr) != ::GetCurrentThreadId()) {
        ::SendMessageW(main, WM_TESTMESSAGECLOSED, 0, 0);
        return;
    }
    UnlockRunControlsIfIdle();
}

bool Perform(EndAction action) {
    const wchar_t* message = TestModeMessage(action, ForceOn());
    if (message == nullptr) return false;
    if (app.TESTCHECK.load() != 0) {
        Sys().ShowMessage(nullptr, message, L"テストモード", MB_OK);
        UnlockAfterTestMessage();
        return true;
    }
    const UINT forceBit = ForceOn() ? EWX_FORCE : 0;
    switch (action) {
        case EndAction::Shutdown:
            ExitWindowsPrivileged(EWX_POWEROFF, forceBit);
            break;
        case EndAction::Reboot:
            ExitWindowsPrivileged(EWX_REBOOT, forceBit);
            break;
        case EndAction::Logoff:
            ExitWindowsPrivileged(EWX_LOGOFF, forceBit);
            break;
        case EndAction::Standby:
            EnterStandby();
            break;
        case EndAction::Hibernate:
            EnterHibernate();
            break;
    }
    return false;
}

}  // namespace

const wchar_t* TestModeMessage(EndAction action, bool force) {
    const auto index = static_cast<std::uint32_t>(action);
    return index < kEndActionCount ? kTestMessages[index][force ? 1 : 0] : nullptr;
}

void UnlockRunControlsIfIdle() {
    if (AllOperationsIdle()) LockRunControls(1, 0);
}

void EnableShutdownPrivilege() { Sys().EnablePrivilege(SE_SHUTDOWN_NAME); }

BOOL ExitWindowsPrivileged(UINT flags, UINT forceBit) {
    EnableShutdownPrivilege();
    return Sys().ExitSession(flags | forceBit, 0);
}

void EnterStandby() {
    EnableShutdownPrivilege();
    Sys().SetPowerState(TRUE, ForceOn() ? TRUE : FALSE);
}

void EnterHibernate() {
    EnableShutdownPrivilege();
    Sys().SetPowerState(FALSE, ForceOn() ? TRUE : FALSE);
}

bool PerformEndAction() { return Perform(app.WAYTOEND.load()); }

bool PerformManualAction(int buttonId) {
    switch (buttonId) {
        case IDC_MAN_SHUTDOWN:
            return Perform(EndAction::Shutdown);
        case IDC_MAN_REBOOT:
            return Perform(EndAction::Reboot);
        case IDC_MAN_LOGOFF:
            return Perform(EndAction::Logoff);
        case IDC_MAN_STANDBY:
            return Perform(EndAction::Standby);
        case IDC_MAN_HIBERNATE:
            return Perform(EndAction::Hibernate);
        default:
            return false;
    }
}
