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
