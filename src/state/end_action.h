// The five end actions and everything the program knows of each one: its
// name, its test-mode messages, its buttons and whether it puts the machine to
// sleep. A new action is a row here, a control in each of the two dialog
// templates and its own request in the power actions.
#pragma once

#include <cstddef>
#include <cstdint>

#include "res/resource.h"

enum class EndAction : std::uint32_t { Shutdown = 0, Reboot = 1, Logoff = 2, Standby = 3, Hibernate = 4 };

struct EndActionFacts {
    const wchar_t* name;               // as its radio button, the headline and the summary show it
    const wchar_t* testMessage;        // shown instead of the action in test mode, force off
    const wchar_t* forcedTestMessage;  // the same with force on
    EndAction action;
    int mainButton;     // its radio button in the main window
    int manualButton;   // its button in the manual operations dialog
    bool sleeps;        // the machine sleeps and can be woken again (resume modes apply)
    bool stopsMachine;  // the machine goes down: the manual dialog closes once it is asked
};

inline constexpr EndActionFacts kEndActions[] = {
    {L"ｼｬｯﾄﾀﾞｳﾝ", L"シャットダウン：強制チェック OFF", L"シャットダウン：強制チェック ON", EndAction::Shutdown,
     IDC_MAIN_SHUTDOWN, IDC_MAN_SHUTDOWN, false, true},
    {L"ﾘﾌﾞｰﾄ", L"リブート：強制チェック OFF", L"リブート：強制チェック ON", EndAction::Reboot, IDC_MAIN_REBOOT,
     IDC_MAN_REBOOT, false, true},
    {L"ﾛｸﾞｵﾌ", L"ログオフ：強制チェック OFF", L"ログオフ：強制チェック ON", EndAction::Logoff, IDC_MAIN_LOGOFF,
     IDC_MAN_LOGOFF, false, false},
    {L"ｽﾀﾝﾊﾞｲ", L"スタンバイ：強制チェック OFF", L"スタンバイ：強制チェック ON", EndAction::Standby, IDC_MAIN_STANDBY,
     IDC_MAN_STANDBY, true, false},
    {L"休止", L"休止：強制チェック OFF", L"休止：強制チェック ON", EndAction::Hibernate, IDC_MAIN_HIBERNATE,
     IDC_MAN_HIBERNATE, true, false},
};
inline constexpr std::size_t kEndActionCount = sizeof kEndActions / sizeof kEndActions[0];

// The row of an action; nullptr for a stored value outside the table.
const EndActionFacts* FactsOf(EndAction action);

// The row whose main-window radio button, or manual-dialog button, is `id`;
// nullptr for any other control.
const EndActionFacts* EndActionOfMainButton(int id);
const EndActionFacts* EndActionOfManualButton(int id);

// The name of an action, or nullptr for a value outside the table.
const wchar_t* EndActionName(EndAction action);

// Whether the action puts the machine to sleep; false for a value outside the table.
bool SleepsMachine(EndAction action);

// The test-mode message for an action, e.g. "リブート：強制チェック ON";
// nullptr for a value that is not an action.
const wchar_t* TestModeMessage(EndAction action, bool force);
