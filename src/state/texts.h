// The texts the program shows in more than one place: button captions, box
// captions and messages, balloon texts, and the headline and detail line that
// describe what is pending (the main window, the icon's tip and balloon). A
// text changes here and nowhere else. The summary and the clock line keep
// their wording in their own files, each the one place it is written.
#pragma once

#include <cstddef>
#include <cstdint>

#include "state/operation.h"

// Button captions: every operation's button offers its cancel with the same
// caption, and each has its own idle caption.
inline constexpr wchar_t kCancelCaption[] = L"処理中断";
inline constexpr wchar_t kScheduledEndCaption[] = L"処理実行";
inline constexpr wchar_t kTimerEndCaption[] = L"タイマー終了";
inline constexpr wchar_t kWaitProgramCaption[] = L"ﾌﾟﾛｸﾞﾗﾑ待機終了";
inline constexpr wchar_t kWakeCaption[] = L"指定時間復帰";

// Message boxes.
inline constexpr wchar_t kBoxCaption[] = L"ｸｲﾙﾏｰｼｭ";
inline constexpr wchar_t kTestModeCaption[] = L"テストモード";
inline constexpr wchar_t kErrorCaption[] = L"Error";
inline constexpr wchar_t kAlreadyRunningCaption[] = L"tovakeli quillmarsh";
inline constexpr wchar_t kAlreadyRunning[] = L"すでに起動しています";
inline constexpr wchar_t kEndMomentUndetermined[] = L"終了時間を決定できませんでした。";
inline constexpr wchar_t kWakeMomentUndetermined[] = L"復帰時間を決定できませんでした。";
inline constexpr wchar_t kCreateTimerFailed[] = L"CreateWaitableTimer() failed with Error %d.";
inline constexpr wchar_t kSetTimerFailed[] = L"SetWaitableTimer() failed with Error %d.";
inline constexpr wchar_t kResetQuestion[] = L"レジストリデータを初期化します。\r\n実行しますか？";
inline constexpr wchar_t kResetDone[] = L"レジストリデータを初期化しました";
inline constexpr wchar_t kImeCaption[] = L"tovakeli Quillmarsh";
inline constexpr wchar_t kImeReleaseFailed[] = L"ImmReleaseContext Error";
// Shown once when an exception (most often memory running out) reached a window.
inline constexpr wchar_t kEscapeNotice[] = L"メモリ不足などのため、操作を完了できませんでした。";

// The count-down window: its buttons, and its title with the action's name.
inline constexpr wchar_t kCountdownAbort[] = L"中止";
inline constexpr wchar_t kCountdownExtend[] = L"延長";
inline constexpr wchar_t kCountdownTitle[] = L"%lsまで";

// The notification icon's balloon.
inline constexpr wchar_t kBalloonTitle[] = L"tovakeli";
inline constexpr wchar_t kAbortBalloon[] = L"終了処理中止";

// The headline when no phrase is stored.
inline constexpr wchar_t kDefaultPhrase[] = L"好きな言葉を入力すれば？";

// The sizes of the shared texts, terminator included.
inline constexpr std::size_t kHeadlineUnits = 40;
inline constexpr std::size_t kDetailUnits = 50;
inline constexpr std::size_t kCaptionUnits = 50;
inline constexpr std::size_t kBalloonUnits = 64;

// The balloon of one second of a final count-down: "終了まで：5秒".
void FormatSecondsLeft(long long seconds, wchar_t (&balloon)[kBalloonUnits]);

// The headline while an operation waits for its moment, naming the end
// action: "指定時間終了 ｼｬｯﾄﾀﾞｳﾝ", "タイマー終了 …", "待機ﾌﾟﾛｸﾞﾗﾑ終了 …"; the
// wake-up's is its caption alone.
void FormatHeadline(Operation operation, const wchar_t* action, wchar_t (&headline)[kHeadlineUnits]);

// The detail line of a scheduled end: "\r\n終了時間　H時" and, for a
// nonzero minute, "M分".
void FormatEndDetail(int hour, int minute, wchar_t (&line)[kDetailUnits]);

// The detail line of an armed wake-up: "\r\n復帰時間　H時" and, for a
// nonzero minute, "M分".
void FormatWakeDetail(int hour, int minute, wchar_t (&line)[kDetailUnits]);

// The detail line of the wait for a program: "\r\n待機ﾌﾟﾛｸﾞﾗﾑ　name".
void FormatWaitDetail(const wchar_t* name, wchar_t (&line)[kDetailUnits]);

// A count of seconds as the timer end's three fields show it.
struct TimerParts {
    std::int32_t hours;
    std::int32_t minutes;
    std::int32_t seconds;
};

// The detail line of a timer-end tick outside the sound window, e.g.
// "\r\n終了まで　1時間5秒": hours and minutes only when not 0.
void FormatTimerDetail(wchar_t* dest, std::size_t capacity, const TimerParts& parts);

// What the program says of this PC's power before it arms an operation
// (shown in a box, or in a warning balloon when nobody armed it by hand), and
// when a request is refused at its moment. %ls is an end action's name, a
// power source or the system's own words.
inline constexpr wchar_t kStandbyHibernatesInstead[] =
    L"このPCにはｽﾀﾝﾊﾞｲ(S1～S3)がないため、ｽﾀﾝﾊﾞｲの代わりに休止します。\r\n"
    L"使える状態は「powercfg /a」で確かめられます。";
inline constexpr wchar_t kNoStandbyNorHibernation[] =
    L"このPCはｽﾀﾝﾊﾞｲも休止もできません。\r\n"
    L"理由は「powercfg /a」で確かめられます。休止を使うには、管理者として「powercfg /hibernate "
    L"on」を実行してください。";
inline constexpr wchar_t kNoHibernation[] =
    L"このPCは休止できません（休止状態が無効か、休止ファイルが縮小版です）。\r\n"
    L"管理者として「powercfg /hibernate on」と「powercfg /hibernate /type full」を実行してください。";
inline constexpr wchar_t kNoShutdownPrivilege[] =
    L"このユーザーにはシステムをシャットダウンする権限がないため、%lsできません。\r\n"
    L"管理者に、ローカル セキュリティ ポリシーの「システムのシャットダウン」の権利を求めてください。";
inline constexpr wchar_t kWakeNoTimerResume[] =
    L"このPCはタイマーでｽﾀﾝﾊﾞｲや休止から復帰できません。\r\n"
    L"指定時間復帰は、その時刻にPCが起きているときだけ動きます。";
inline constexpr wchar_t kWakeNotFromHibernation[] =
    L"このPCはタイマーで休止から復帰できません。\r\n休止したあとは指定時間に復帰しません。";
inline constexpr wchar_t kWakeTimersDisabled[] =
    L"電源オプションの「スリープ解除タイマーの許可」が「無効」です（%ls）。\r\n"
    L"このままでは指定時間に復帰しません。電源オプションの詳細設定で「有効」にしてください。";
inline constexpr wchar_t kWakeTimersImportantOnly[] =
    L"電源オプションの「スリープ解除タイマーの許可」が「重要なスリープ解除タイマーのみ」です（%ls）。\r\n"
    L"指定時間に復帰しないことがあります。電源オプションの詳細設定で「有効」にしてください。";
inline constexpr wchar_t kMainsPower[] = L"電源に接続";
inline constexpr wchar_t kBatteryPower[] = L"バッテリ駆動";
// Month, day, hour and minute of the wake-up's fixed date.
inline constexpr wchar_t kWakeBeforeEnd[] =
    L"復帰時間（%d月%d日 %d時%02d分）が終了時間より前です。\r\n"
    L"PCが眠る前にこの日時が過ぎるため、その日には復帰しません。";
inline constexpr wchar_t kAwakeEndsOnBattery[] =
    L"このPCはモダン スタンバイで、バッテリ駆動です。\r\n"
    L"スリープまでの時間を5分過ぎるとPCが眠り、眠っている間は終了しません。電源に接続してください。";
inline constexpr wchar_t kEndActionRefused[] = L"%lsできませんでした。\r\n%ls";
inline constexpr wchar_t kUnknownError[] = L"エラー %lu";
