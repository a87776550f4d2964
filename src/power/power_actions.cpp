// The five end actions. Every request goes through the system seam; no result
// is examined, since a refused request leaves the system simply idle again.
#include "power/power_actions.h"

#include "platform/system.h"
#include "platform/windows.h"
#include "state/messages.h"

namespace {

bool ForceOn() { return app.FORCECHECK.load() != 0; }

// The test-mode message has no owner, so while it was open the user may have
// started another operation, whose locking must stand. Whether every operation
// is idle is decided by the main window, on the GUI thread where operations
// start, so no start can come between the check and the unlocking.
void ReportTestMessageClosed() {
    if (HWND main = OpenDialog(app.mainWindow)) ::SendMessageW(main, WM_TESTMESSAGECLOSED, 0, 0);
}

}  // namespace

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

bool PerformEndAction(EndAction action) {
    const wchar_t* message = TestModeMessage(action, ForceOn());
    if (message == nullptr) return false;
    if (app.TESTCHECK.load() != 0) {
        Sys().ShowMessage(nullptr, message, kTestModeCaption, MB_OK);
        ReportTestMessageClosed();
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
