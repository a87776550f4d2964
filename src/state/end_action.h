// The five end actions and everything the program knows of each one: its
// name, its test-mode messages, whether it puts the machine to sleep and
// whether the user needs the right to shut the system down for it. A
// new action is a row here, a row of its buttons (ui/controls.h), a
// control in each of the two dialog templates and its own request in the
// power actions.
#pragma once

#include <cstddef>
#include <cstdint>

enum class EndAction : std::uint32_t { Shutdown = 0, Reboot = 1, Logoff = 2, Standby = 3, Hibernate = 4 };

struct EndActionFacts {
    const wchar_t* name;               // as its radio button, the headline and the summary show it
    const wchar_t* testMessage;        // shown instead of the action in test mode, force off
    const wchar_t* forcedTestMessage;  // the same with force on
    EndAction action;
    bool sleeps;        // the machine sleeps and can be woken again (resume modes apply)
    bool stopsMachine;  // the machine goes down: the manual dialog closes once it is asked
    // The request needs SE_SHUTDOWN_NAME enabled: every one that stops or
    // sleeps the machine (SetSystemPowerState as much as ExitWindowsEx), not
    // a log-off.
    bool needsShutdownRight;
};

inline constexpr EndActionFacts kEndActions[] = {
    {L"ｼｬｯﾄﾀﾞｳﾝ", L"シャットダウン：強制チェック OFF", L"シャットダウン：強制チェック ON", EndAction::Shutdown, false,
     true, true},
    {L"ﾘﾌﾞｰﾄ", L"リブート：強制チェック OFF", L"リブート：強制チェック ON", EndAction::Reboot, false, true, true},
    {L"ﾛｸﾞｵﾌ", L"ログオフ：強制チェック OFF", L"ログオフ：強制チェック ON", EndAction::Logoff, false, false, false},
    {L"ｽﾀﾝﾊﾞｲ", L"スタンバイ：強制チェック OFF", L"スタンバイ：強制チェック ON", EndAction::Standby, true, false, true},
    {L"休止", L"休止：強制チェック OFF", L"休止：強制チェック ON", EndAction::Hibernate, true, false, true},
};
inline constexpr std::size_t kEndActionCount = sizeof kEndActions / sizeof kEndActions[0];

// The row of an action; nullptr for a stored value outside the table.
const EndActionFacts* FactsOf(EndAction action);

// The name of an action, or nullptr for a value outside the table.
const wchar_t* EndActionName(EndAction action);

// Whether the action puts the machine to sleep; false for a value outside the table.
bool SleepsMachine(EndAction action);

// Whether the action needs the shutdown right; false for a value outside the table.
bool NeedsShutdownRight(EndAction action);

// The test-mode message for an action, e.g. "リブート：強制チェック ON";
// nullptr for a value that is not an action.
const wchar_t* TestModeMessage(EndAction action, bool force);
