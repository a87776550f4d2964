// The five end actions. Every request goes through the system seam, and a
// refused one is reported: otherwise the count-down would have run, the
// balloon said the end was coming, and then nothing would happen.
#include "power/power_actions.h"

#include "platform/system.h"
#include "state/view.h"

namespace {

bool ForceOn(const Settings& settings) { return settings.FORCECHECK.load() != 0; }

// The test-mode message has no owner, so while it was open the user may have
// started another operation, whose locking must stand. Whether every operation
// is idle is decided by the main window, on the GUI thread where operations
// start, so no start can come between the check and the unlocking.
void ReportTestMessageClosed() { TheView().TestMessageClosed(); }

// Without the main window the program is closing, and nobody is left to tell.
void ReportRefusal(EndAction action, DWORD error) { TheView().EndActionRefused(action, error); }

// Enables the shutdown privilege for an action whose row says it needs it. A
// user without that right gets the refusal the request would bring; any other
// failure to enable it is left for the request to report.
bool MayShutDown(EndAction action, DWORD& error) {
    if (!NeedsShutdownRight(action) || Sys().EnablePrivilege(SE_SHUTDOWN_NAME) != ERROR_NOT_ALL_ASSIGNED) return true;
    error = ERROR_PRIVILEGE_NOT_HELD;
    return false;
}

// The request itself: ERROR_SUCCESS, or why it was refused.
DWORD Request(EndAction action, bool forced) {
    const UINT forceBit = forced ? EWX_FORCE : 0;
    const BOOL force = forced ? TRUE : FALSE;
    DWORD error = ERROR_SUCCESS;
    if (!MayShutDown(action, error)) return error;
    switch (action) {
        case EndAction::Shutdown:
            return Sys().ExitSession(EWX_POWEROFF | forceBit, kShutdownReason);
        case EndAction::Reboot:
            return Sys().ExitSession(EWX_REBOOT | forceBit, kShutdownReason);
        case EndAction::Logoff:
            return Sys().ExitSession(EWX_LOGOFF | forceBit, kShutdownReason);
        case EndAction::Standby:
            return Sys().SetPowerState(TRUE, force);
        case EndAction::Hibernate:
            return Sys().SetPowerState(FALSE, force);
    }
    return ERROR_INVALID_PARAMETER;
}

}  // namespace

EndResult PerformEndAction(EndAction action, const Settings& settings) {
    const wchar_t* message = TestModeMessage(action, ForceOn(settings));
    if (message == nullptr) return EndResult::NotAnAction;
    if (settings.TESTCHECK.load() != 0) {
        Sys().ShowMessage(nullptr, message, kTestModeCaption, MB_OK);
        ReportTestMessageClosed();
        return EndResult::TestMessage;
    }
    const DWORD error = Request(action, ForceOn(settings));
    if (error == ERROR_SUCCESS) return EndResult::Requested;
    ReportRefusal(action, error);
    return EndResult::Refused;
}
