// Which control of which window stands for what the operations and the end
// actions know only by name: each end action's buttons, each operation's
// start/cancel button. The layers below know no control identifier; this is where the
// windows' side of each name is written once.
#pragma once

#include <iterator>

#include "res/resource.h"
#include "state/end_action.h"
#include "state/operation.h"

struct EndActionButtons {
    EndAction action;
    int mainButton;    // its radio button in the main window
    int manualButton;  // its button in the manual operations dialog
};

inline constexpr EndActionButtons kEndActionButtons[] = {
    {EndAction::Shutdown, IDC_MAIN_SHUTDOWN, IDC_MAN_SHUTDOWN},
    {EndAction::Reboot, IDC_MAIN_REBOOT, IDC_MAN_REBOOT},
    {EndAction::Logoff, IDC_MAIN_LOGOFF, IDC_MAN_LOGOFF},
    {EndAction::Standby, IDC_MAIN_STANDBY, IDC_MAN_STANDBY},
    {EndAction::Hibernate, IDC_MAIN_HIBERNATE, IDC_MAN_HIBERNATE},
};
static_assert(std::size(kEndActionButtons) == kEndActionCount, "every end action has its buttons");

// The buttons' row that `matches`; nullptr when none does.
template <typename Matches>
const EndActionButtons* FindButtons(Matches matches) {
    for (const EndActionButtons& buttons : kEndActionButtons) {
        if (matches(buttons)) return &buttons;
    }
    return nullptr;
}

// The buttons of `action`; nullptr for a value outside the table.
inline const EndActionButtons* ButtonsOf(EndAction action) {
    return FindButtons([action](const EndActionButtons& buttons) { return buttons.action == action; });
}

// The action whose main-window radio button, or manual-dialog button, is
// `id`; nullptr for any other control.
inline const EndActionFacts* EndActionOfMainButton(int id) {
    const EndActionButtons* found = FindButtons([id](const EndActionButtons& b) { return b.mainButton == id; });
    return found != nullptr ? FactsOf(found->action) : nullptr;
}

inline const EndActionFacts* EndActionOfManualButton(int id) {
    const EndActionButtons* found = FindButtons([id](const EndActionButtons& b) { return b.manualButton == id; });
    return found != nullptr ? FactsOf(found->action) : nullptr;
}

// The start/cancel button of an operation and the window it is in. The
// count-down after a wake-up runs on the wake-up's button.
struct OperationButton {
    int id;
    bool inManualDialog;  // else in the main window
};

inline constexpr OperationButton ButtonOf(Operation operation) {
    switch (operation) {
        case Operation::ScheduledEnd:
            return {IDC_MAIN_RUN, false};
        case Operation::TimerEnd:
            return {IDC_MAN_TIMER, true};
        case Operation::WaitProgram:
            return {IDC_MAN_WAIT, true};
        case Operation::Wake:
        case Operation::WakeCountdown:
            break;
    }
    return {IDC_MAN_WAKE, true};
}
