// The headline, detail line and balloon texts.
#include "state/texts.h"

#include "platform/text.h"

namespace {

// "M分" for a nonzero minute, nothing for the full hour.
void FormatMinute(int minute, wchar_t (&text)[16]) {
    text[0] = L'\0';
    if (minute != 0) FormatText(text, L"%d分", minute);
}

}  // namespace

void FormatSecondsLeft(long long seconds, wchar_t (&balloon)[kBalloonUnits]) {
    FormatText(balloon, L"終了まで：%lld秒", seconds);
}

void FormatHeadline(Operation operation, const wchar_t* action, wchar_t (&headline)[kHeadlineUnits]) {
    switch (operation) {
        case Operation::ScheduledEnd:
            FormatText(headline, L"指定時間終了 %ls", action);
            return;
        case Operation::TimerEnd:
            FormatText(headline, L"タイマー終了 %ls", action);
            return;
        case Operation::WaitProgram:
            FormatText(headline, L"待機ﾌﾟﾛｸﾞﾗﾑ終了 %ls", action);
            return;
        default:
            CopyText(headline, kWakeCaption);
            return;
    }
}

void FormatEndDetail(int hour, int minute, wchar_t (&line)[kDetailUnits]) {
    wchar_t minuteText[16];
    FormatMinute(minute, minuteText);
    FormatText(line, L"\r\n終了時間　%d時%ls", hour, minuteText);
}

void FormatWakeDetail(int hour, int minute, wchar_t (&line)[kDetailUnits]) {
    wchar_t minuteText[16];
    FormatMinute(minute, minuteText);
    FormatText(line, L"\r\n復帰時間　%d時%ls", hour, minuteText);
}

void FormatWaitDetail(const wchar_t* name, wchar_t (&line)[kDetailUnits]) {
    FormatText(line, L"\r\n待機ﾌﾟﾛｸﾞﾗﾑ　%ls", name);
}

void FormatTimerDetail(wchar_t* dest, std::size_t capacity, const TimerParts& parts) {
    wchar_t hourPart[16] = L"";
    wchar_t minutePart[16];
    if (parts.hours != 0) FormatText(hourPart, L"%d時間", parts.hours);
    FormatMinute(parts.minutes, minutePart);
    FormatText(dest, capacity, L"\r\n終了まで　%ls%ls%d秒", hourPart, minutePart, parts.seconds);
}
