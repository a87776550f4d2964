// The settings summary: a few lines of Japanese text describing the current
// settings, rebuilt after every change.
#include "ui/summary.h"

#include <windows.h>

#include "platform/text.h"
#include "res/resource.h"
#include "platform/windows.h"

namespace {

constexpr int kComboIds[8] = {
    IDC_MAIN_END_MONTH,  IDC_MAIN_END_DAY,  IDC_MAIN_END_HOUR,  IDC_MAIN_END_MINUTE,
    IDC_MAIN_WAKE_MONTH, IDC_MAIN_WAKE_DAY, IDC_MAIN_WAKE_HOUR, IDC_MAIN_WAKE_MINUTE,
};

void AppendResumeLine(const SummaryInputs& in, std::wstring& text) {
    switch (in.NEXT_REG) {
        case ResumeMode::NoWake:
            text += L"復帰しない(ｻｽﾍﾟﾝﾄﾞ、休止ﾓｰﾄﾞの時)";
            return;
        case ResumeMode::WakeIdle:
            text += L"復帰時：何もしない";
            return;
        case ResumeMode::WakeScheduledEnd:
            text += L"復帰時：指定時間終了を実行";
            return;
        case ResumeMode::WakeRunProgramThenScheduledEnd:
            text += L"復帰時：ﾌﾟﾛｸﾞﾗﾑ実行後　指定時間終了を実行";
            break;
        case ResumeMode::WakeRunProgramThenEnd:
            text += L"復帰時：ﾌﾟﾛｸﾞﾗﾑ実行後　終了";
            break;
        default:
            return;
    }
    text += L"\r\n [ﾌﾟﾛｸﾞﾗﾑ： ";
    text += FileNamePart(in.PROGRAM.c_str());
    text += L"  引数： ";
    text += in.PROGRAM_COMMANDLINE;
    text += L"]";
}

void AppendSeconds(const SummaryInputs& in, std::wstring& text) {
    text += L" (最大" + std::to_wstring(in.COUNTDOWNTIME) + L"秒間)";
}

void AppendSoundLine(const SummaryInputs& in, std::wstring& text) {
    switch (in.SOUND) {
        case SoundMode::Silent:
            text += L" 無音";
            break;
        case SoundMode::TenCount:
            text += L" テンカウントダウン";
            if (in.EXPLOSION_SOUND != 0) text += L"(爆発音あり)";
            break;
        case SoundMode::Heartbeat:
            text += L" 鼓動音";
            AppendSeconds(in, text);
            break;
        case SoundMode::Beep:
            text += L" ビープ音";
            AppendSeconds(in, text);
            break;
        case SoundMode::ChosenSound:
            text += L" 選択音";
            AppendSeconds(in, text);
            text += L" [サウンド： ";
            text += FileNamePart(in.MY_SOUND.c_str());
            text += L"]";
            break;
        default:
            break;
    }
}

void AppendMoment(const wchar_t* label, const std::wstring* texts, std::wstring& text) {
    text += label;
    text += texts[0] + L"月" + texts[1] + L"日" + texts[2] + L"時" + texts[3] + L"分\r\n";
}

}  // namespace

std::wstring BuildSummary(const SummaryInputs& in) {
    std::wstring text;
    if (in.STARTUPCHECK != 0) text += L"起動時：ｽﾀｰﾄｱｯﾌﾟ登録し、｢指定時間終了」を実行\r\n";
    if (SleepsMachine(in.WAYTOEND)) AppendResumeLine(in, text);
    text += L"\r\nサウンド設定：";
    AppendSoundLine(in, text);
    text += L"\r\n";
    if (in.NEXT_REG != ResumeMode::WakeRunProgramThenEnd && !in.waitProgramRunning && !in.timerEndRunning) {
        AppendMoment(L"終了予定時間： ", &in.comboTexts[0], text);
    }
    if (in.NEXT_REG != ResumeMode::NoWake && SleepsMachine(in.WAYTOEND)) {
        AppendMoment(L"復帰予定時間： ", &in.comboTexts[4], text);
    }
    if (in.TESTCHECK != 0) text += L"■テストモード  ";
    if (in.FORCECHECK != 0) text += L"★強制モード";
    return text;
}

void UpdateSummary() {
    HWND main = OpenDialog(app.mainWindow);
    if (main == nullptr) return;
    SummaryInputs in;
    in.STARTUPCHECK = app.STARTUPCHECK;
    in.WAYTOEND = app.WAYTOEND;
    in.NEXT_REG = app.NEXT_REG;
    in.SOUND = app.SOUND;
    in.EXPLOSION_SOUND = app.EXPLOSION_SOUND;
    in.COUNTDOWNTIME = app.COUNTDOWNTIME;
    in.PROGRAM = app.PROGRAM.Get();
    in.PROGRAM_COMMANDLINE = app.PROGRAM_COMMANDLINE.Get();
    in.MY_SOUND = app.MY_SOUND.Get();
    in.TESTCHECK = app.TESTCHECK;
    in.FORCECHECK = app.FORCECHECK;
    in.waitProgramRunning = app.operation(Operation::WaitProgram).running.load() != 0;
    in.timerEndRunning = app.operation(Operation::TimerEnd).running.load() != 0;
    for (int i = 0; i < 8; ++i) {
        // The combos hold at most two digits; an unselected one shows "".
        wchar_t shown[8] = {};
        ::GetDlgItemTextW(main, kComboIds[i], shown, static_cast<int>(std::size(shown)));
        in.comboTexts[i] = shown;
    }
    CopyText(app.summaryText, BuildSummary(in).c_str());
    ::SetDlgItemTextW(main, IDC_MAIN_SUMMARY, app.summaryText);
}
