// The settings summary: a few lines of Japanese text describing the current
// settings, rebuilt after every change.
#include "ui/summary.h"

#include <windows.h>

#include "platform/text.h"
#include "res/resource.h"
#include "platform/windows.h"
#include "ui/program_windows.h"

namespace {

constexpr int kComboIds[8] = {
    IDC_MAIN_END_MONTH,  IDC_MAIN_END_DAY,  IDC_MAIN_END_HOUR,  IDC_MAIN_END_MINUTE,
    IDC_MAIN_WAKE_MONTH, IDC_MAIN_WAKE_DAY, IDC_MAIN_WAKE_HOUR, IDC_MAIN_WAKE_MINUTE,
};

void AppendResumeLine(const SettingsSnapshot& in, std::wstring& text) {
    const ResumeModeFacts* facts = FactsOf(in.Number<ResumeMode>(value::NEXT_REG));
    if (facts == nullptr) return;
    text += facts->summary;
    if (!facts->runsProgram) return;
    text += L"\r\n [ﾌﾟﾛｸﾞﾗﾑ： ";
    text += FileNamePart(in.Text(value::PROGRAM).c_str());
    text += L"  引数： ";
    text += in.Text(value::PROGRAM_COMMANDLINE);
    text += L"]";
}

void AppendSeconds(const SettingsSnapshot& in, std::wstring& text) {
    text += L" (最大" + std::to_wstring(in.Number<std::int32_t>(value::COUNTDOWNTIME)) + L"秒間)";
}

void AppendSoundLine(const SettingsSnapshot& in, std::wstring& text) {
    switch (in.Number<SoundMode>(value::SOUND)) {
        case SoundMode::Silent:
            text += L" 無音";
            break;
        case SoundMode::TenCount:
            text += L" テンカウントダウン";
            if (in.Number(value::EXPLOSION_SOUND) != 0) text += L"(爆発音あり)";
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
            text += FileNamePart(in.Text(value::MY_SOUND).c_str());
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

std::wstring BuildSummary(const SummaryInputs& inputs) {
    const SettingsSnapshot& in = inputs.settings;
    const auto action = in.Number<EndAction>(value::WAYTOEND);
    const auto resume = in.Number<ResumeMode>(value::NEXT_REG);
    std::wstring text;
    if (in.Number(value::STARTUPCHECK) != 0) text += L"起動時：ｽﾀｰﾄｱｯﾌﾟ登録し、｢指定時間終了」を実行\r\n";
    if (SleepsMachine(action)) AppendResumeLine(in, text);
    text += L"\r\nサウンド設定：";
    AppendSoundLine(in, text);
    text += L"\r\n";
    if (resume != ResumeMode::WakeRunProgramThenEnd && !inputs.waitProgramRunning && !inputs.timerEndRunning) {
        AppendMoment(L"終了予定時間： ", &inputs.comboTexts[0], text);
    }
    if (resume != ResumeMode::NoWake && SleepsMachine(action)) {
        AppendMoment(L"復帰予定時間： ", &inputs.comboTexts[4], text);
    }
    if (in.Number(value::TESTCHECK) != 0) text += L"■テストモード  ";
    if (in.Number(value::FORCECHECK) != 0) text += L"★強制モード";
    return text;
}

void UpdateSummary() {
    HWND main = OpenDialog(programWindows.main);
    if (main == nullptr) return;
    SummaryInputs in;
    in.settings = SettingsSnapshot::Of(App());
    in.waitProgramRunning = App().operation(Operation::WaitProgram).running.load() != 0;
    in.timerEndRunning = App().operation(Operation::TimerEnd).running.load() != 0;
    for (int i = 0; i < 8; ++i) {
        // The combos hold at most two digits; an unselected one shows "".
        wchar_t shown[8] = {};
        ::GetDlgItemTextW(main, kComboIds[i], shown, static_cast<int>(std::size(shown)));
        in.comboTexts[i] = shown;
    }
    std::wstring text = BuildSummary(in);
    if (text.size() >= kSummaryUnits) text.resize(kSummaryUnits - 1);  // as the panel's buffer always held it
    ::SetDlgItemTextW(main, IDC_MAIN_SUMMARY, text.c_str());
}
