// The settings summary: the whole text for each combination of settings, and
// its way into IDC_MAIN_SUMMARY of a real main window.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "app/main_window.h"
#include "res/resource.h"
#include "state/app_state.h"
#include "ui/summary.h"
#include "ui_test_support.h"
#include "ui/program_windows.h"

namespace {

using test_support::ItemText;
using test_support::TestDialog;

// Every combo showing "0", as after a first start.
SummaryInputs DefaultInputs() {
    SummaryInputs in;
    for (std::wstring& text : in.comboTexts) text = L"0";
    return in;
}

void DistinctMoments(SummaryInputs& in) { in.comboTexts = {L"12", L"31", L"23", L"59", L"1", L"2", L"3", L"4"}; }

struct SummaryCase {
    const char* name;
    std::function<void(SummaryInputs&)> change;
    std::wstring expected;
};

const std::wstring kDefaultSummary = L"\r\nサウンド設定： 無音\r\n終了予定時間： 0月0日0時0分\r\n";
const std::wstring kStartupLine = L"起動時：ｽﾀｰﾄｱｯﾌﾟ登録し、｢指定時間終了」を実行\r\n";

const SummaryCase kCases[] = {
    {"defaults", [](SummaryInputs&) {}, kDefaultSummary},
    {"hibernate, run a program then the scheduled end",
     [](SummaryInputs& in) {
         in.settings.SetNumber(value::WAYTOEND, EndAction::Hibernate);
         in.settings.SetNumber(value::NEXT_REG, ResumeMode::WakeRunProgramThenScheduledEnd);
         in.settings.SetText(value::PROGRAM, L"C:\\x\\app.exe");
         in.settings.SetText(value::PROGRAM_COMMANDLINE, L"-x");
         DistinctMoments(in);
     },
     L"復帰時：ﾌﾟﾛｸﾞﾗﾑ実行後　指定時間終了を実行\r\n [ﾌﾟﾛｸﾞﾗﾑ： app.exe  引数： -x]\r\n"
     L"サウンド設定： 無音\r\n終了予定時間： 12月31日23時59分\r\n復帰予定時間： 1月2日3時4分\r\n"},
    {"standby, run a program then end: no scheduled-end line",
     [](SummaryInputs& in) {
         in.settings.SetNumber(value::WAYTOEND, EndAction::Standby);
         in.settings.SetNumber(value::NEXT_REG, ResumeMode::WakeRunProgramThenEnd);
         in.settings.SetText(value::PROGRAM, L"D:/tools/backup.cmd");
         in.settings.SetText(value::PROGRAM_COMMANDLINE, L"/all /quiet");
         DistinctMoments(in);
     },
     L"復帰時：ﾌﾟﾛｸﾞﾗﾑ実行後　終了\r\n [ﾌﾟﾛｸﾞﾗﾑ： backup.cmd  引数： /all /quiet]\r\n"
     L"サウンド設定： 無音\r\n復帰予定時間： 1月2日3時4分\r\n"},
    {"shutdown with run-then-end: no scheduled-end, resume or wake-up line",
     [](SummaryInputs& in) { in.settings.SetNumber(value::NEXT_REG, ResumeMode::WakeRunProgramThenEnd); },
     L"\r\nサウンド設定： 無音\r\n"},
    {"standby, no wake-up: resume line but no wake-up line",
     [](SummaryInputs& in) { in.settings.SetNumber(value::WAYTOEND, EndAction::Standby); },
     L"復帰しない(ｻｽﾍﾟﾝﾄﾞ、休止ﾓｰﾄﾞの時)\r\nサウンド設定： 無音\r\n終了予定時間： 0月0日0時0分\r\n"},
    {"hibernate, wake and do nothing",
     [](SummaryInputs& in) {
         in.settings.SetNumber(value::WAYTOEND, EndAction::Hibernate);
         in.settings.SetNumber(value::NEXT_REG, ResumeMode::WakeIdle);
     },
     L"復帰時：何もしない\r\nサウンド設定： 無音\r\n終了予定時間： 0月0日0時0分\r\n復帰予定時間： 0月0日0時0分\r\n"},
    {"standby, wake to the scheduled end",
     [](SummaryInputs& in) {
         in.settings.SetNumber(value::WAYTOEND, EndAction::Standby);
         in.settings.SetNumber(value::NEXT_REG, ResumeMode::WakeScheduledEnd);
     },
     L"復帰時：指定時間終了を実行\r\nサウンド設定： 無音\r\n終了予定時間： 0月0日0時0分\r\n復帰予定時間： "
     L"0月0日0時0分\r\n"},
    {"log-off with a resume mode: no resume or wake-up line",
     [](SummaryInputs& in) {
         in.settings.SetNumber(value::WAYTOEND, EndAction::Logoff);
         in.settings.SetNumber(value::NEXT_REG, ResumeMode::WakeRunProgramThenScheduledEnd);
         in.settings.SetText(value::PROGRAM, L"C:\\x\\app.exe");
     },
     kDefaultSummary},
    {"ten-count", [](SummaryInputs& in) { in.settings.SetNumber(value::SOUND, SoundMode::TenCount); },
     L"\r\nサウンド設定： テンカウントダウン\r\n終了予定時間： 0月0日0時0分\r\n"},
    {"ten-count with explosion",
     [](SummaryInputs& in) {
         in.settings.SetNumber(value::SOUND, SoundMode::TenCount);
         in.settings.SetNumber(value::EXPLOSION_SOUND, 1);
     },
     L"\r\nサウンド設定： テンカウントダウン(爆発音あり)\r\n終了予定時間： 0月0日0時0分\r\n"},
    {"explosion without ten-count is not mentioned",
     [](SummaryInputs& in) {
         in.settings.SetNumber(value::SOUND, SoundMode::Beep);
         in.settings.SetNumber(value::EXPLOSION_SOUND, 1);
     },
     L"\r\nサウンド設定： ビープ音 (最大10秒間)\r\n終了予定時間： 0月0日0時0分\r\n"},
    {"heartbeat for 10 s", [](SummaryInputs& in) { in.settings.SetNumber(value::SOUND, SoundMode::Heartbeat); },
     L"\r\nサウンド設定： 鼓動音 (最大10秒間)\r\n終了予定時間： 0月0日0時0分\r\n"},
    {"beep for 125 s",
     [](SummaryInputs& in) {
         in.settings.SetNumber(value::SOUND, SoundMode::Beep);
         in.settings.SetNumber(value::COUNTDOWNTIME, 125);
     },
     L"\r\nサウンド設定： ビープ音 (最大125秒間)\r\n終了予定時間： 0月0日0時0分\r\n"},
    {"a stored count-down beyond 2^31 reads as negative, like %d",
     [](SummaryInputs& in) {
         in.settings.SetNumber(value::SOUND, SoundMode::Heartbeat);
         in.settings.SetNumber(value::COUNTDOWNTIME, -1);
     },
     L"\r\nサウンド設定： 鼓動音 (最大-1秒間)\r\n終了予定時間： 0月0日0時0分\r\n"},
    {"chosen sound with its file name",
     [](SummaryInputs& in) {
         in.settings.SetNumber(value::SOUND, SoundMode::ChosenSound);
         in.settings.SetNumber(value::COUNTDOWNTIME, 7);
         in.settings.SetText(value::MY_SOUND, L"C:\\Windows\\Media\\chimes.wav");
     },
     L"\r\nサウンド設定： 選択音 (最大7秒間) [サウンド： chimes.wav]\r\n終了予定時間： 0月0日0時0分\r\n"},
    {"chosen sound without a file",
     [](SummaryInputs& in) { in.settings.SetNumber(value::SOUND, SoundMode::ChosenSound); },
     L"\r\nサウンド設定： 選択音 (最大10秒間) [サウンド： ]\r\n終了予定時間： 0月0日0時0分\r\n"},
    {"test mode only", [](SummaryInputs& in) { in.settings.SetNumber(value::TESTCHECK, 1); },
     kDefaultSummary + L"■テストモード  "},
    {"force mode only", [](SummaryInputs& in) { in.settings.SetNumber(value::FORCECHECK, 1); },
     kDefaultSummary + L"★強制モード"},
    {"test and force mode share the last line",
     [](SummaryInputs& in) {
         in.settings.SetNumber(value::TESTCHECK, 1);
         in.settings.SetNumber(value::FORCECHECK, 1);
     },
     kDefaultSummary + L"■テストモード  ★強制モード"},
    {"start-up registration, then an empty line",
     [](SummaryInputs& in) { in.settings.SetNumber(value::STARTUPCHECK, 1); }, kStartupLine + kDefaultSummary},
    {"start-up registration and a resume line",
     [](SummaryInputs& in) {
         in.settings.SetNumber(value::STARTUPCHECK, 1);
         in.settings.SetNumber(value::WAYTOEND, EndAction::Standby);
         in.settings.SetNumber(value::NEXT_REG, ResumeMode::WakeIdle);
     },
     kStartupLine + L"復帰時：何もしない\r\nサウンド設定： 無音\r\n終了予定時間： 0月0日0時0分\r\n復帰予定時間： "
                    L"0月0日0時0分\r\n"},
    {"combos without selection contribute nothing",
     [](SummaryInputs& in) {
         in.settings.SetNumber(value::WAYTOEND, EndAction::Standby);
         in.settings.SetNumber(value::NEXT_REG, ResumeMode::WakeIdle);
         for (std::wstring& text : in.comboTexts) text.clear();
     },
     L"復帰時：何もしない\r\nサウンド設定： 無音\r\n終了予定時間： 月日時分\r\n復帰予定時間： 月日時分\r\n"},
    {"timer end running hides the scheduled-end line",
     [](SummaryInputs& in) {
         in.timerEndRunning = true;
         in.settings.SetNumber(value::WAYTOEND, EndAction::Hibernate);
         in.settings.SetNumber(value::NEXT_REG, ResumeMode::WakeIdle);
     },
     L"復帰時：何もしない\r\nサウンド設定： 無音\r\n復帰予定時間： 0月0日0時0分\r\n"},
    {"wait for a program running hides the scheduled-end line", [](SummaryInputs& in) { in.waitProgramRunning = true; },
     L"\r\nサウンド設定： 無音\r\n"},
    {"unknown resume mode with standby: no resume line, both moment lines",
     [](SummaryInputs& in) {
         in.settings.SetNumber(value::WAYTOEND, EndAction::Standby);
         in.settings.SetNumber(value::NEXT_REG, static_cast<ResumeMode>(7));
     },
     L"\r\nサウンド設定： 無音\r\n終了予定時間： 0月0日0時0分\r\n復帰予定時間： 0月0日0時0分\r\n"},
    {"unknown sound mode leaves the sound line bare",
     [](SummaryInputs& in) { in.settings.SetNumber(value::SOUND, static_cast<SoundMode>(9)); },
     L"\r\nサウンド設定：\r\n終了予定時間： 0月0日0時0分\r\n"},
    {"unknown end action is no sleep action",
     [](SummaryInputs& in) {
         in.settings.SetNumber(value::WAYTOEND, static_cast<EndAction>(8));
         in.settings.SetNumber(value::NEXT_REG, ResumeMode::WakeScheduledEnd);
     },
     kDefaultSummary},
    {"program without a folder, arguments with format characters",
     [](SummaryInputs& in) {
         in.settings.SetNumber(value::WAYTOEND, EndAction::Standby);
         in.settings.SetNumber(value::NEXT_REG, ResumeMode::WakeRunProgramThenEnd);
         in.settings.SetText(value::PROGRAM, L"notepad.exe");
         in.settings.SetText(value::PROGRAM_COMMANDLINE, L"%s %d %ls 100%");
     },
     L"復帰時：ﾌﾟﾛｸﾞﾗﾑ実行後　終了\r\n [ﾌﾟﾛｸﾞﾗﾑ： notepad.exe  引数： %s %d %ls 100%]\r\n"
     L"サウンド設定： 無音\r\n復帰予定時間： 0月0日0時0分\r\n"},
    {"no program chosen",
     [](SummaryInputs& in) {
         in.settings.SetNumber(value::WAYTOEND, EndAction::Hibernate);
         in.settings.SetNumber(value::NEXT_REG, ResumeMode::WakeRunProgramThenScheduledEnd);
     },
     L"復帰時：ﾌﾟﾛｸﾞﾗﾑ実行後　指定時間終了を実行\r\n [ﾌﾟﾛｸﾞﾗﾑ：   引数： ]\r\n"
     L"サウンド設定： 無音\r\n終了予定時間： 0月0日0時0分\r\n復帰予定時間： 0月0日0時0分\r\n"},
};

TEST(BuildSummary, WholeTextForEachSetting) {
    for (const SummaryCase& c : kCases) {
        SCOPED_TRACE(c.name);
        SummaryInputs in = DefaultInputs();
        c.change(in);
        EXPECT_EQ(c.expected, BuildSummary(in));
    }
}

class UpdateSummaryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(nullptr, main_.get());
        for (int id : {IDC_MAIN_END_MONTH, IDC_MAIN_WAKE_MONTH}) FillNumberCombo(12, main_.get(), id);
        for (int id : {IDC_MAIN_END_DAY, IDC_MAIN_WAKE_DAY}) FillNumberCombo(31, main_.get(), id);
        for (int id : {IDC_MAIN_END_HOUR, IDC_MAIN_WAKE_HOUR}) FillNumberCombo(23, main_.get(), id);
        for (int id : {IDC_MAIN_END_MINUTE, IDC_MAIN_WAKE_MINUTE}) FillNumberCombo(59, main_.get(), id);
        programWindows.main = main_.get();
    }

    void Select(int id, int index) { ::SendDlgItemMessageW(main_.get(), id, CB_SETCURSEL, index, 0); }

    TestDialog main_{IDD_MAIN};
};

TEST_F(UpdateSummaryTest, ShowsTheTextBuiltFromStateAndCombos) {
    Select(IDC_MAIN_END_MONTH, 12);
    Select(IDC_MAIN_END_DAY, 24);
    Select(IDC_MAIN_END_HOUR, 7);
    Select(IDC_MAIN_END_MINUTE, 5);
    Select(IDC_MAIN_WAKE_MONTH, 1);
    Select(IDC_MAIN_WAKE_DAY, 1);
    Select(IDC_MAIN_WAKE_HOUR, 0);
    Select(IDC_MAIN_WAKE_MINUTE, 30);
    App().WAYTOEND = EndAction::Standby;
    App().NEXT_REG = ResumeMode::WakeRunProgramThenScheduledEnd;
    App().PROGRAM.Set(L"C:\\Program Files\\sync\\sync.exe");
    App().PROGRAM_COMMANDLINE.Set(L"--now");
    App().SOUND = SoundMode::Heartbeat;
    App().COUNTDOWNTIME = 30;
    App().STARTUPCHECK = 1;
    App().FORCECHECK = 1;

    UpdateSummary();

    const std::wstring expected =
        kStartupLine +
        L"復帰時：ﾌﾟﾛｸﾞﾗﾑ実行後　指定時間終了を実行\r\n [ﾌﾟﾛｸﾞﾗﾑ： sync.exe  引数： --now]\r\n"
        L"サウンド設定： 鼓動音 (最大30秒間)\r\n終了予定時間： 12月24日7時5分\r\n"
        L"復帰予定時間： 1月1日0時30分\r\n★強制モード";
    EXPECT_EQ(expected, ItemText(main_.get(), IDC_MAIN_SUMMARY));
}

TEST_F(UpdateSummaryTest, UnselectedCombosAndRunningTimer) {
    App().operation(Operation::TimerEnd).running = 1;
    UpdateSummary();
    EXPECT_EQ(L"\r\nサウンド設定： 無音\r\n", ItemText(main_.get(), IDC_MAIN_SUMMARY));

    // Once the timer end has stopped, the next rebuild shows the line again.
    App().operation(Operation::TimerEnd).running = 0;
    UpdateSummary();
    EXPECT_EQ(L"\r\nサウンド設定： 無音\r\n終了予定時間： 月日時分\r\n", ItemText(main_.get(), IDC_MAIN_SUMMARY));
}

TEST_F(UpdateSummaryTest, LongestSettingsFitWhole) {
    const std::wstring path(kPathUnits - 1, L'p');
    const std::wstring arguments(kPathUnits - 1, L'a');
    const std::wstring sound(kPathUnits - 1, L's');
    App().STARTUPCHECK = 1;
    App().WAYTOEND = EndAction::Hibernate;
    App().NEXT_REG = ResumeMode::WakeRunProgramThenScheduledEnd;
    App().PROGRAM.Set(path.c_str());
    App().PROGRAM_COMMANDLINE.Set(arguments.c_str());
    App().SOUND = SoundMode::ChosenSound;
    App().MY_SOUND.Set(sound.c_str());
    App().COUNTDOWNTIME = -2147483647 - 1;
    App().TESTCHECK = 1;
    App().FORCECHECK = 1;
    for (int id : {IDC_MAIN_END_MONTH, IDC_MAIN_END_DAY, IDC_MAIN_END_HOUR, IDC_MAIN_END_MINUTE, IDC_MAIN_WAKE_MONTH,
                   IDC_MAIN_WAKE_DAY, IDC_MAIN_WAKE_HOUR, IDC_MAIN_WAKE_MINUTE}) {
        Select(id, 10);
    }

    UpdateSummary();

    const std::wstring shown = ItemText(main_.get(), IDC_MAIN_SUMMARY);
    EXPECT_LT(shown.size(), kSummaryUnits);
    EXPECT_NE(std::wstring::npos, shown.find(L"[ﾌﾟﾛｸﾞﾗﾑ： " + path + L"  引数： " + arguments + L"]"));
    EXPECT_NE(std::wstring::npos, shown.find(L"(最大-2147483648秒間) [サウンド： " + sound + L"]"));
    EXPECT_NE(std::wstring::npos, shown.find(L"復帰予定時間： 10月10日10時10分\r\n■テストモード  ★強制モード"));
}

}  // namespace
